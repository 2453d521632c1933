// Command lines typed at the console, end to end: rows of every kind of table created, changed,
// activated and removed, the refusals with their messages, and the result value "?".

#include "configurator/testutil.h"

namespace korvax {
namespace {

class DispatchTest : public ConfiguratorTest {
 protected:
  std::string Tbl(const std::string& tail) { return Cat(oids::kTbl, tail); }
};

TEST_F(DispatchTest, RowStatusRowsAreCreatedActivatedAndWaited) {
  MakeTbl();
  ASSERT_TRUE(Run("tbl name=first count=5 alpha=off create"));
  EXPECT_EQ(Result(), "1");
  EXPECT_EQ(ReadInt(Tbl("6.1")), 1);  // active
  EXPECT_EQ(ReadText(Tbl("2.1")), "first");
  EXPECT_EQ(ReadInt(Tbl("3.1")), 2);
  EXPECT_EQ(ReadInt(Tbl("4.1")), 5);
  EXPECT_EQ(TakeLog(), "");

  // Values stay recorded until reset: the next create repeats them.
  ASSERT_TRUE(Run("tbl createAndWait"));
  EXPECT_EQ(Result(), "2");
  EXPECT_EQ(ReadInt(Tbl("6.2")), 2);  // notInService
  EXPECT_EQ(ReadText(Tbl("2.2")), "first");
  ASSERT_TRUE(Run("tbl activate"));
  EXPECT_EQ(Result(), "2");
  EXPECT_EQ(ReadInt(Tbl("6.2")), 1);

  ASSERT_TRUE(Run("tbl reset"));
  EXPECT_EQ(Result(), "0");
  ASSERT_TRUE(Run("tbl createAndGo"));
  EXPECT_EQ(Result(), "3");
  EXPECT_EQ(ReadText(Tbl("2.3")), "");  // reset forgot the name
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(DispatchTest, EntryStatusAndStringStatusRows) {
  MakeEnt();
  MakeStr();
  ASSERT_TRUE(Run("ent descr=probe create"));
  EXPECT_EQ(ReadInt(Cat(oids::kEnt, "3.1")), 1);  // valid
  ASSERT_TRUE(Run("ent createAndWait"));
  EXPECT_EQ(ReadInt(Cat(oids::kEnt, "3.2")), 3);  // underCreation
  ASSERT_TRUE(Run("ent activate"));
  EXPECT_EQ(ReadInt(Cat(oids::kEnt, "3.2")), 1);

  ASSERT_TRUE(Run("str label=\"two words\" create"));
  EXPECT_EQ(Result(), "1");
  EXPECT_EQ(ReadText(Cat(oids::kStr, "2.1")), "New");
  EXPECT_EQ(ReadText(Cat(oids::kStr, "1.1")), "two words");
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(DispatchTest, OwnersOfCreatedRows) {
  MakeTbl();
  kxrt::Console& console = kxrt::Console::Instance();
  console.SetBaseOwner("admin");
  const std::string base = console.Owner();
  ASSERT_TRUE(Run("tbl create"));  // no owner: temporary
  EXPECT_EQ(ReadText(Tbl("5.1")), "admin~");
  ASSERT_TRUE(Run("tbl createpersistent"));
  EXPECT_EQ(ReadText(Tbl("5.2")), "admin");
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  EXPECT_EQ(ReadText(Tbl("5.3")), "cfg");
  ASSERT_TRUE(Run("tbl reset"));
  ASSERT_TRUE(Run("tbl owner= create"));  // an explicitly empty owner is kept
  EXPECT_EQ(ReadText(Tbl("5.4")), "");
  EXPECT_EQ(console.Owner(), base);  // every push was popped
}

TEST_F(DispatchTest, StatusTableWithoutOwnerColumnWritesNoOwner) {
  Keep(IConfigurator::Create("plain", "d", oids::kPlain, IConfigurator::eRowStatus, 2, 0))
      ->AddStrCol(1, "note", "n");
  configurators_.front()->Register();
  ASSERT_TRUE(Run("plain note=x owner=someone create"));
  EXPECT_EQ(Result(), "1");
  EXPECT_EQ(ReadText(Cat(oids::kPlain, "1.1")), "x");
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(DispatchTest, ScalarGroupWritesEveryValueGivenSoFar) {
  MakeScalars();
  ASSERT_TRUE(Run("sys contact=bob level=3"));
  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(ReadText(Cat(oids::kScalars, "1.0")), "bob");
  EXPECT_EQ(ReadInt(Cat(oids::kScalars, "2.0")), 3);
  ASSERT_TRUE(Set(Cat(oids::kScalars, "1.0"), 's', "changed") == 0);
  ASSERT_TRUE(Run("sys mode=manual"));  // contact is written again
  EXPECT_EQ(ReadText(Cat(oids::kScalars, "1.0")), "bob");
  EXPECT_EQ(ReadInt(Cat(oids::kScalars, "3.0")), 1);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(DispatchTest, IndexedTableLinesWriteNewRows) {
  MakeIfTable();
  ASSERT_TRUE(Run("iface ifname=eth0 mtu=1500"));
  EXPECT_EQ(Result(), "1");
  ASSERT_TRUE(Run("iface ifname=eth1"));
  EXPECT_EQ(Result(), "2");
  EXPECT_EQ(ReadText(Cat(oids::kIfTable, "1.2")), "eth1");
  EXPECT_EQ(ReadInt(Cat(oids::kIfTable, "2.2")), 0);  // not given again: the default
  ASSERT_TRUE(Run("iface index=1 mtu=9000"));
  EXPECT_EQ(Result(), "1");
  EXPECT_EQ(ReadInt(Cat(oids::kIfTable, "2.1")), 9000);
  EXPECT_EQ(ReadText(Cat(oids::kIfTable, "1.1")), "eth0");
  ASSERT_TRUE(Run("iface reset"));
  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(TakeLog(), "");
}

// Each refusal with its exact log text and the result value it leaves.
TEST_F(DispatchTest, RefusalsAreReportedWithTheirMessages) {
  MakeTbl();
  MakeScalars();
  Keep(IConfigurator::Create("sub", "d", oids::kSub, *configurators_.back()));
  configurators_.front()->AddIntCol(1, "gamma", "g");
  configurators_.front()->Register();
  struct Case {
    std::vector<std::string> lines;
    std::string log;
    std::string result;
  } cases[] = {
      {{"tbl store"}, "The \"store\" command cannot be used with \"tbl\".\n", "0"},
      {{"tbl frobnicate"}, "Unknown command \"frobnicate\".\n", "0"},
      {{"sub gamma=1 create"}, "The \"create\" command cannot be used with \"sub\".\n", "0"},
      {{"sys reset"}, "The \"reset\" command cannot be used with \"sys\".\n", "0"},
      {{"tbl count=500 create"},
       "Integer value for count outside allowable range (1 - 100)\n",
       "untouched"},
      {{"tbl index=7 createAndWait", "tbl index=7 createAndWait"},
       "Error inconsistentValue(12) setting tbl.6.7 to 5\nCannot create entry\n",
       "0"},
      {{"tbl reset", "tbl index=200000 create"}, "Cannot create entry\n", "0"},
      {{"tbl reset", "tbl name=" + std::string(65, 'n') + " create"},
       // The temporary owner "~" pushed for the new row is the owner of the messages.
       "~: Error wrongLength(8) setting tbl.name.1 to " + std::string(65, 'n') +
           "\n~: Cannot setup entry\n",
       "0"},
      {{"sys level=11"}, "Integer value for level outside allowable range (0 - 10)\n", "untouched"},
  };
  for (const Case& c : cases) {
    kxrt::Console::Instance().SetValue("?", "untouched");
    std::vector<std::string> lines = c.lines;
    const std::string last = lines.back();
    lines.pop_back();
    RunLog(lines);
    EXPECT_EQ(RunLog({last}), c.log) << last;
    EXPECT_EQ(Result(), c.result) << last;
    Run("tbl reset");
  }
  // The failed setup removed the row it had created.
  EXPECT_FALSE(Exists(Tbl("6.1")));
}

TEST_F(DispatchTest, MessagesCarryTheConsoleOwner) {
  MakeTbl();
  kxrt::Console::Instance().SetBaseOwner("admin");
  EXPECT_EQ(RunLog({"tbl frobnicate"}), "admin: Unknown command \"frobnicate\".\n");
  kxrt::Console::Instance().SetBaseOwner("");
  EXPECT_EQ(RunLog({"tbl frobnicate"}), "Unknown command \"frobnicate\".\n");
}

TEST_F(DispatchTest, FailedColumnWriteKeepsTheRowWhenRemovalIsOff) {
  std::string error;
  ASSERT_TRUE(kxrt::CurrentSettings().LoadString("[agent]\nConfigRemoveOnFail=0\n", &error));
  IConfigurator* c = MakeTbl(false);
  c->AddIntCol(15, "ro", "read-only");
  c->Register();
  EXPECT_EQ(RunLog({"tbl ro=3 owner=cfg create"}),
            "Error notWritable(17) setting tbl.ro.1 to 3\nCannot setup entry\n");
  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(ReadInt(Tbl("6.1")), 2);  // still created, not active
}

TEST_F(DispatchTest, FailedColumnWriteRemovesTheRowByDefault) {
  IConfigurator* c = MakeTbl(false);
  c->AddIntCol(15, "ro", "read-only");
  c->AddAlias("ro", "readonly");
  c->Register();
  // The property's own name is reported, also when an alias was typed.
  EXPECT_EQ(RunLog({"tbl readonly=3 createpersistent"}),
            "Error notWritable(17) setting tbl.ro.1 to 3\nCannot setup entry\n");
  EXPECT_FALSE(Exists(Tbl("6.1")));
}

TEST_F(DispatchTest, RequestedIndexLivesUntilCleared) {
  MakeTbl();
  ASSERT_TRUE(Run("tbl index=7 createAndWait"));
  EXPECT_EQ(Result(), "7");
  // createAndWait keeps the index: the same row is addressed again and refused.
  EXPECT_EQ(RunLog({"tbl createAndWait"}),
            "Error inconsistentValue(12) setting tbl.6.7 to 5\nCannot create entry\n");
  // activate works on the current row, not on the index typed with it, and clears the index.
  ASSERT_TRUE(Run("tbl index=9 createAndWait"));
  ASSERT_TRUE(Run("tbl index=3 activate"));
  EXPECT_EQ(Result(), "9");
  EXPECT_EQ(ReadInt(Tbl("6.9")), 1);
  EXPECT_FALSE(Exists(Tbl("6.3")));
  ASSERT_TRUE(Run("tbl createAndWait"));
  EXPECT_EQ(Result(), "1");  // no index any more: the first free one
}

TEST_F(DispatchTest, LineThatFailsToParseRunsNothing) {
  MakeTbl();
  EXPECT_EQ(RunLog({"tbl count=0 name=kept create"}),
            "Integer value for count outside allowable range (1 - 100)\n");
  EXPECT_FALSE(Exists(Tbl("6.1")));
  ASSERT_TRUE(Run("tbl create"));  // the name that parsed is still recorded
  EXPECT_EQ(ReadText(Tbl("2.1")), "kept");
}

// A line of the same configurator run from a set hook while the activation set is in progress.
TEST_F(DispatchTest, NestedCommandDuringActivation) {
  IConfigurator* tbl = MakeTbl();
  CConfiguratorTestPeer peer(tbl);
  kxrt::Console::Instance().SetBaseOwner("admin");
  struct Seen {
    std::string owner;
    int requested = -1;
    bool persistent = true;
    int searchStart = -1;
  } seen;
  bool nested = false;
  const kxrt::Oid activation = ParseOid(Tbl("6.5"));
  mib_.SetSetHook([&](const KX_VARBIND_T& vb) {
    kxrt::Oid name(vb.name.ids, vb.name.ids + vb.name.count);
    if (nested || name != activation || vb.value.integer != 1) return;
    nested = true;
    seen = {peer.Owner(), peer.RequestedIndex(), peer.Persistent(), peer.SearchStart()};
    ASSERT_TRUE(Run("tbl name=inner create"));
  });
  ASSERT_TRUE(Run("tbl index=5 owner=outer name=outer createpersistent"));
  ASSERT_TRUE(nested);
  EXPECT_EQ(seen.owner, "");
  EXPECT_EQ(seen.requested, 0);
  EXPECT_FALSE(seen.persistent);
  EXPECT_EQ(seen.searchStart, 1005);
  EXPECT_EQ(Result(), "5");  // the outer command's row, not the nested one's
  EXPECT_EQ(ReadInt(Tbl("6.5")), 1);
  EXPECT_EQ(ReadText(Tbl("5.5")), "outer");
  EXPECT_EQ(ReadInt(Tbl("6.1006")), 1);  // the nested row, above the raised search start
  EXPECT_EQ(ReadText(Tbl("5.1006")), "admin~");
  EXPECT_EQ(peer.Owner(), "outer");  // owner survives until reset
  EXPECT_EQ(kxrt::Console::Instance().Owner(), "admin");
  EXPECT_EQ(peer.OwnerPushes(), 0);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace korvax
