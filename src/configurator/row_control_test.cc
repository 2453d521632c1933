// Row operations: the free-index search, creation at a requested index, owners, activation's
// search start, and the failure paths of the status and column sets.

#include "configurator/testutil.h"

namespace korvax {
namespace {

class RowControlTest : public ConfiguratorTest {
 protected:
  void SetUp() override { tbl_ = static_cast<CConfigurator*>(MakeTbl()); }
  void CreateRows(const std::vector<int>& rows) {
    for (int row : rows) {
      ASSERT_EQ(Set(Cat(oids::kTbl, "6." + std::to_string(row)), 'i', "4"), 0) << row;
    }
  }
  CConfigurator* tbl_ = nullptr;
};

TEST_F(RowControlTest, FreeIndexSearch) {
  struct Case {
    std::vector<int> rows;
    int searchStart;
    int expected;
  } cases[] = {
      {{}, 0, 1},
      {{1, 2, 4}, 0, 3},
      {{2, 3}, 0, 1},
      {{1, 2, 3, 4, 5}, 0, 6},
      {{1, 2, 3, 4, 5}, 1003, 1004},
      {{1004, 1005, 1007}, 1003, 1006},
      {{99999, 100000}, 99998, 99999 + 2},  // the walk ends: last seen plus one
  };
  CConfiguratorTestPeer peer(tbl_);
  for (const Case& c : cases) {
    mib_.Clear();
    CreateRows(c.rows);
    peer.SetSearchStart(c.searchStart);
    EXPECT_EQ(tbl_->FindAvailableIdx(), c.expected)
        << c.rows.size() << " rows from " << c.searchStart;
  }
  peer.SetSearchStart(0);
  peer.SetRequestedIndex(2);
  EXPECT_EQ(tbl_->FindAvailableIdx(), 2);  // a requested index is returned unchecked
}

TEST_F(RowControlTest, FreeIndexSearchStopsWhenTheMibCannotAnswer) {
  CreateRows({1, 2});
  kxrt::FaultyMib faulty(mib_);
  kxrt::SetCurrentMib(&faulty);
  faulty.FailNth(kxrt::FaultyMib::Op::kGetNext, 2, 0);
  EXPECT_EQ(tbl_->FindAvailableIdx(), 2);  // saw row 1, then no answer
  kxrt::SetCurrentMib(&mib_);
}

TEST_F(RowControlTest, RequestedIndexIsReadBeforeItIsCreated) {
  kxrt::FaultyMib faulty(mib_);
  kxrt::SetCurrentMib(&faulty);
  faulty.FailNth(kxrt::FaultyMib::Op::kGet, 1, 0);
  EXPECT_EQ(RunLog({"tbl index=5 create"}), "Cannot create entry\n");
  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(faulty.Calls(kxrt::FaultyMib::Op::kSet), 0);      // nothing was written
  EXPECT_EQ(faulty.Calls(kxrt::FaultyMib::Op::kGetNext), 0);  // and no walk was made
  ASSERT_TRUE(Run("tbl index=5 create"));
  EXPECT_EQ(Result(), "5");
  kxrt::SetCurrentMib(&mib_);
}

TEST_F(RowControlTest, OwnerWrittenByCreation) {
  kxrt::Console& console = kxrt::Console::Instance();
  console.SetBaseOwner("admin");
  CConfiguratorTestPeer peer(tbl_);
  struct Case {
    std::string owner;
    bool persistent;
    std::string written;
    std::string consoleOwner;  // after SetOwner, before the callback pops
  } cases[] = {
      {"", false, "admin~", "admin~"},
      {"", true, "admin", "admin"},
      {"given", false, "given", "admin"},
  };
  int row = 1;
  for (const Case& c : cases) {
    CreateRows({row});
    tbl_->SetWorkIndex(row);
    peer.SetOwner(c.owner);
    peer.SetPersistent(c.persistent);
    EXPECT_TRUE(tbl_->SetOwner());
    EXPECT_EQ(ReadText(Cat(oids::kTbl, "5." + std::to_string(row))), c.written);
    EXPECT_EQ(console.Owner(), c.consoleOwner);
    console.PopOwner();
    ++row;
  }
}

TEST_F(RowControlTest, ActivationRaisesTheSearchStart) {
  CConfiguratorTestPeer peer(tbl_);
  int seen = -1;
  mib_.SetSetHook([&](const KX_VARBIND_T&) { seen = peer.SearchStart(); });
  for (auto [row, start] : {std::pair{3, 1003}, std::pair{65000, 464}}) {
    CreateRows({row});
    tbl_->SetWorkIndex(row);
    EXPECT_TRUE(tbl_->ActivateControlRow());
    EXPECT_EQ(seen, start) << row;
    EXPECT_EQ(peer.SearchStart(), 0);
  }
}

TEST_F(RowControlTest, StringStatusActivationWritesNothing) {
  auto* str = static_cast<CConfigurator*>(MakeStr());
  ASSERT_EQ(Set(Cat(oids::kStr, "2.4"), 's', "New"), 0);
  str->SetWorkIndex(4);
  kxrt::FaultyMib faulty(mib_);
  kxrt::SetCurrentMib(&faulty);
  EXPECT_TRUE(str->SetStatus(eCmdActivate));
  EXPECT_EQ(faulty.Calls(kxrt::FaultyMib::Op::kSet), 0);
  EXPECT_TRUE(str->RowIsActive());
  str->SetWorkIndex(5);
  EXPECT_FALSE(str->RowIsActive());  // no such row
  kxrt::SetCurrentMib(&mib_);
}

TEST_F(RowControlTest, SetFailuresAreReportedAndNothingLeaks) {
  kxrt::FaultyMib faulty(mib_);
  kxrt::SetCurrentMib(&faulty);
  CreateRows({1});
  tbl_->SetWorkIndex(1);
  // A set the MIB cannot process: a column write says so, a status write stays silent.
  faulty.FailNth(kxrt::FaultyMib::Op::kSet, 1, 0);
  log_.Take();
  EXPECT_FALSE(tbl_->SetStatus(eCmdActivate));
  EXPECT_EQ(log_.Take(), "");
  ASSERT_TRUE(Run("tbl name=x"));
  faulty.FailNth(kxrt::FaultyMib::Op::kSet, 1, 0);
  log_.Take();
  EXPECT_FALSE(tbl_->SetupEntries());
  EXPECT_EQ(log_.Take(), "Unexpected error in KXMibSet\n");
  // A refused status set names the status and the value.
  faulty.FailNth(kxrt::FaultyMib::Op::kSet, 1, 1, 5);
  EXPECT_FALSE(tbl_->RemoveEntry());
  EXPECT_EQ(log_.Take(), "Error genErr(5) setting tbl.6.1 to 6\n");
  faulty.FailNth(kxrt::FaultyMib::Op::kSet, 1, 1, 42);
  EXPECT_FALSE(tbl_->RemoveEntry());
  EXPECT_EQ(log_.Take(), "Error unknownError(42) setting tbl.6.1 to 6\n");
  kxrt::SetCurrentMib(&mib_);
}

TEST_F(RowControlTest, OwnerSetRefusedLeavesTheCreatedRow) {
  kxrt::FaultyMib faulty(mib_);
  kxrt::SetCurrentMib(&faulty);
  faulty.FailPrefix(kxrt::FaultyMib::Op::kSet, ParseOid(Cat(oids::kTbl, "5")), 1, 10);
  EXPECT_EQ(RunLog({"tbl owner=bad create"}),
            "Error wrongValue(10) setting tbl.5.1 to bad\nCannot create entry\n");
  EXPECT_EQ(ReadInt(Cat(oids::kTbl, "6.1")), 2);  // created, not removed, not active
  kxrt::SetCurrentMib(&mib_);
}

TEST_F(RowControlTest, ResetValuesClearsColumnsReachedThroughAliases) {
  tbl_->AddAlias("name", "label");
  ASSERT_TRUE(Run("tbl label=x count=3"));
  CConfiguratorTestPeer peer(tbl_);
  EXPECT_TRUE(peer.Column("name")->isSet);
  tbl_->ResetValues();
  EXPECT_FALSE(peer.Column("name")->isSet);
  EXPECT_FALSE(peer.Column("count")->isSet);
}

// A get-next that answers without moving on must end the walks instead of repeating one row.
TEST_F(RowControlTest, StuckGetNextEndsEveryWalk) {
  CreateRows({1, 2});
  ASSERT_TRUE(Run("tbl reset"));
  ASSERT_EQ(Set(Cat(oids::kTbl, "5.1"), 's', "cfg"), 0);
  ASSERT_EQ(Set(Cat(oids::kTbl, "5.2"), 's', "cfg"), 0);
  kxrt::FaultyMib faulty(mib_);
  kxrt::SetCurrentMib(&faulty);
  faulty.FailNth(kxrt::FaultyMib::Op::kGetNext, 2, 1);  // answers, but keeps the name
  EXPECT_EQ(tbl_->FindAvailableIdx(), 2);
  faulty.Reset();
  faulty.FailNth(kxrt::FaultyMib::Op::kGetNext, 2, 1);
  log_.Take();
  const std::string written = Written(tbl_);
  EXPECT_EQ(log_.Take(), "Cannot read the rows of tbl after index 1\n");
  EXPECT_EQ(written.find("index=2"), std::string::npos) << written;
  EXPECT_NE(written.find("tbl create index=1 owner=cfg\n"), std::string::npos) << written;
  EXPECT_EQ(faulty.Calls(kxrt::FaultyMib::Op::kGetNext), 2);
  kxrt::SetCurrentMib(&mib_);
}

}  // namespace
}  // namespace korvax
