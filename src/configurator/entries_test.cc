// The entry store of child tables (numbering, claiming by a parent entry, applying under the
// parent row), the child-size column, the row filter and removal of rows by owner.

#include "configurator/testutil.h"

namespace korvax {
namespace {

class EntriesTest : public ConfiguratorTest {
 protected:
  // tbl -> sub -> gsub, with the child-size columns tbl.nsub (7) and sub.ngsub (3).
  void MakeFamily() {
    tbl_ = MakeTbl();
    sub_ = MakeSub(*tbl_);
    gsub_ = MakeGsub(*sub_);
    tbl_->AddChild(*sub_, 7);
    sub_->AddChild(*gsub_, 3);
  }

  // The stored entries as "index/parentIndex/childCount" texts, in list order.
  static std::vector<std::string> EntryShapes(IConfigurator* c) {
    std::vector<std::string> shapes;
    for (const CConfigurator::SEntry& e : CConfiguratorTestPeer(c).Entries()) {
      shapes.push_back(std::to_string(e.index) + "/" + std::to_string(e.parentIndex) + "/" +
                       std::to_string(e.childCount));
    }
    return shapes;
  }

  static CConfigurator* Concrete(IConfigurator* c) { return static_cast<CConfigurator*>(c); }

  std::string Tbl(const std::string& tail) { return Cat(oids::kTbl, tail); }
  std::string Sub(const std::string& tail) { return Cat(oids::kSub, tail); }
  std::string Gsub(const std::string& tail) { return Cat(oids::kGsub, tail); }

  IConfigurator* tbl_ = nullptr;
  IConfigurator* sub_ = nullptr;
  IConfigurator* gsub_ = nullptr;
};

using Strings = std::vector<std::string>;

// Without "index=" an entry is numbered after the unclaimed entries, not after the largest index;
// a parent's store claims them all and the numbering starts again.
TEST_F(EntriesTest, StoreNumbersEntriesByTheUnclaimedCount) {
  MakeFamily();
  for (const char* line : {"sub store", "sub store", "sub index=7 store", "sub store"}) {
    ASSERT_TRUE(Run(line));
  }
  EXPECT_EQ(Result(), "4");
  EXPECT_EQ(EntryShapes(sub_), (Strings{"1/0/0", "2/0/0", "7/0/0", "4/0/0"}));
  EXPECT_EQ(CConfiguratorTestPeer(sub_).RequestedIndex(), 0);  // "index=" served one store

  ASSERT_TRUE(Run("gsub store"));
  ASSERT_TRUE(Run("gsub store"));
  EXPECT_EQ(Concrete(sub_)->OnParentStore(9), 4);
  EXPECT_EQ(Concrete(sub_)->OnParentStore(10), 0);  // all claimed: nothing changes
  EXPECT_EQ(EntryShapes(sub_), (Strings{"1/9/0", "2/9/0", "7/9/0", "4/9/0"}));
  ASSERT_TRUE(Run("sub store"));
  EXPECT_EQ(Result(), "1");
  EXPECT_EQ(EntryShapes(sub_).back(), "1/0/2");  // and it claimed the two grandchild entries
  EXPECT_EQ(EntryShapes(gsub_), (Strings{"1/1/0", "2/1/0"}));
  EXPECT_EQ(TakeLog(), "");
}

// Two grandchild stores, a child store, one grandchild store, a child store, then the parent
// row: the entries' indexes, parent indexes and child counts, and every instance the parent's
// create sets, in order.
TEST_F(EntriesTest, GrandchildEntriesAreAppliedUnderTheirParentRows) {
  MakeFamily();
  for (const char* line : {"gsub delta=11 store", "gsub delta=12 store", "sub gamma=1 store",
                           "gsub delta=21 store", "sub gamma=2 store"}) {
    ASSERT_TRUE(Run(line));
  }
  EXPECT_EQ(EntryShapes(gsub_), (Strings{"1/1/0", "2/1/0", "1/2/0"}));
  EXPECT_EQ(EntryShapes(sub_), (Strings{"1/0/2", "2/0/1"}));

  const Strings& sets = RecordSets();
  ASSERT_TRUE(Run("tbl owner=cfg index=4 create"));
  EXPECT_EQ(Result(), "4");
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(sets, (Strings{
                      Tbl("6.4=5"),    // createAndWait
                      Tbl("5.4=cfg"),  // owner
                      Tbl("7.4=2"),    // two child rows
                      Sub("1.4.1=1"),
                      Sub("3.4.1=2"),  // two grandchild rows under child row 1
                      Sub("1.4.2=2"), Sub("3.4.2=1"), Gsub("1.4.1.1=11"), Gsub("1.4.1.2=12"),
                      Gsub("1.4.2.1=21"),
                      Tbl("6.4=1"),  // activated last
                  }));
  EXPECT_EQ(ReadInt(Tbl("6.4")), 1);
  EXPECT_EQ(ReadInt(Sub("3.4.1")), 2);
  EXPECT_EQ(ReadInt(Gsub("1.4.2.1")), 21);
  EXPECT_TRUE(CConfiguratorTestPeer(sub_).Entries().empty());
  EXPECT_TRUE(CConfiguratorTestPeer(gsub_).Entries().empty());

  // The child-size column reads back through GetChildSize on the current row.
  int count = -1;
  EXPECT_TRUE(Concrete(tbl_)->GetChildSize(count));
  EXPECT_EQ(count, 2);
}

// When a child entry fails on its first column, no further column of it or of any later entry
// is set, but the child size of every entry is still written, the grandchildren are not set up
// but discarded, and the parent row is removed again.
TEST_F(EntriesTest, FailedEntryStopsColumnsButStillWritesChildSizes) {
  MakeFamily();
  for (const char* line : {"gsub delta=5 store", "sub gamma=1 label=a store", "gsub delta=6 store",
                           "gsub delta=7 store", "sub gamma=2 store"}) {
    ASSERT_TRUE(Run(line));
  }
  kxrt::FaultyMib faulty(mib_);
  faulty.FailPrefix(kxrt::FaultyMib::Op::kSet, ParseOid(Sub("1")), 1, KX_SNMP_WRONG_VALUE);
  kxrt::SetCurrentMib(&faulty);
  const Strings& sets = RecordSets();
  const std::string log = RunLog({"tbl owner=cfg index=2 create"});
  kxrt::SetCurrentMib(&mib_);

  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(log,
            "Error wrongValue(10) setting sub.gamma.1 to 1\n"
            "Cannot setup entry\n");
  EXPECT_EQ(sets, (Strings{Tbl("6.2=5"), Tbl("5.2=cfg"), Tbl("7.2=2"), Sub("3.2.1=1"),
                           Sub("3.2.2=2"), Tbl("6.2=6")}));
  EXPECT_FALSE(Exists(Tbl("6.2")));
  EXPECT_TRUE(CConfiguratorTestPeer(sub_).Entries().empty());
  EXPECT_TRUE(CConfiguratorTestPeer(gsub_).Entries().empty());
}

// A value given before one store stays with every later entry until reset.
TEST_F(EntriesTest, ValuesCarryIntoLaterEntriesUntilReset) {
  MakeFamily();
  for (const char* line : {"sub label=kept gamma=1 store", "sub gamma=2 store", "sub reset",
                           "sub gamma=3 store", "tbl owner=cfg create"}) {
    ASSERT_TRUE(Run(line));
  }
  EXPECT_EQ(TakeLog(), "");
  // "reset" discarded the first two entries; the third had only gamma.
  EXPECT_EQ(ReadInt(Sub("1.1.1")), 3);
  EXPECT_EQ(ReadText(Sub("2.1.1")), "");
  EXPECT_FALSE(Exists(Sub("1.1.2")));
  EXPECT_EQ(ReadInt(Tbl("7.1")), 1);

  for (const char* line :
       {"sub label=kept gamma=1 store", "sub gamma=2 store", "tbl owner=cfg create"}) {
    ASSERT_TRUE(Run(line));
  }
  EXPECT_EQ(ReadText(Sub("2.2.1")), "kept");
  EXPECT_EQ(ReadText(Sub("2.2.2")), "kept");
  EXPECT_EQ(ReadInt(Sub("1.2.2")), 2);
}

// A child table with nothing stored and no child sets nothing, not even a child size.
TEST_F(EntriesTest, SetupWithoutEntriesSetsNothing) {
  MakeFamily();
  const Strings& sets = RecordSets();
  EXPECT_TRUE(Concrete(gsub_)->SetupEntries());
  EXPECT_TRUE(sets.empty());
  int count = -1;
  unsigned row[] = {9};
  sub_->SetIndexPrefix(row, 1);
  EXPECT_FALSE(Concrete(sub_)->GetChildSize(count));  // no row 9.x: nothing to read
}

TEST_F(EntriesTest, FilterEntryKeepsAllButTemporaryOwners) {
  IConfigurator* tbl = MakeTbl();
  struct Case {
    std::string owner;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"cfg", true},
      {"", true},
      {"x~", false},
      {"~", false},
      {"~x", true},
      {"!qvz!temporary", false},
      {"!qvz!temporaryX", false},
      {"a!qvz!temporary", true},
      {"!qvz!temporar", true},
  };
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  for (const Case& c : cases) {
    SCOPED_TRACE("owner '" + c.owner + "'");
    ASSERT_EQ(Set(Tbl("5.1"), 's', c.owner), 0);
    Concrete(tbl)->SetWorkIndex(1);
    EXPECT_EQ(Concrete(tbl)->FilterEntry(), c.kept);
  }

  IConfigurator* plain =
      Keep(IConfigurator::Create("plain", "d", oids::kPlain, IConfigurator::eRowStatus, 2, 0));
  plain->AddStrCol(1, "note", "n");
  plain->Register();
  ASSERT_TRUE(Run("plain create"));
  Concrete(plain)->SetWorkIndex(1);
  EXPECT_TRUE(Concrete(plain)->FilterEntry());
}

// ClearConfig removes, across every registered configurator, exactly the rows whose owner begins
// with the text; tables without owner or status column are left alone.
TEST_F(EntriesTest, ClearConfigRemovesRowsByOwnerPrefix) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  tbl->AddChild(*sub, 7);
  MakeEnt();
  IConfigurator* plain =
      Keep(IConfigurator::Create("plain", "d", oids::kPlain, IConfigurator::eRowStatus, 2, 0));
  plain->AddStrCol(1, "note", "n");
  plain->Register();
  MakeIfTable();

  const Strings owners = {"cfg", "cfg2", "other", "", "xcfg"};
  for (size_t i = 0; i < owners.size(); ++i) {
    ASSERT_TRUE(Run("sub gamma=1 store"));
    ASSERT_TRUE(Run("tbl owner=\"" + owners[i] + "\" create"));
    ASSERT_TRUE(Run("ent owner=\"" + owners[i] + "\" create"));
  }
  ASSERT_TRUE(Run("plain create"));
  ASSERT_TRUE(Run("iface ifname=eth0"));
  ASSERT_EQ(TakeLog(), "");

  auto rowsLeft = [this](const char* table, const char* statusColumn) {
    std::string rows;
    for (int row = 1; row <= 5; ++row) {
      if (Exists(Cat(table, std::string(statusColumn) + "." + std::to_string(row)))) {
        rows += std::to_string(row);
      }
    }
    return rows;
  };
  IConfigurator::ClearConfig("cfg");
  EXPECT_EQ(rowsLeft(oids::kTbl, "6"), "345");
  EXPECT_EQ(rowsLeft(oids::kEnt, "3"), "345");
  EXPECT_FALSE(Exists(Sub("1.1.1")));  // went with its parent row
  EXPECT_TRUE(Exists(Sub("1.3.1")));
  EXPECT_TRUE(Exists(Cat(oids::kPlain, "2.1")));
  EXPECT_TRUE(Exists(Cat(oids::kIfTable, "1.1")));

  IConfigurator::ClearConfig("");
  EXPECT_EQ(rowsLeft(oids::kTbl, "6"), "");
  EXPECT_EQ(rowsLeft(oids::kEnt, "3"), "");
  EXPECT_TRUE(Exists(Cat(oids::kPlain, "2.1")));
  EXPECT_TRUE(Exists(Cat(oids::kIfTable, "1.1")));
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace korvax
