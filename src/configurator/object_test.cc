// The configurator object: work identifier layout, help text, settings, the registry and the
// two library-wide operations.

#include "configurator/testutil.h"

namespace korvax {
namespace {

using ObjectTest = ConfiguratorTest;

TEST_F(ObjectTest, ScalarGroupWorkIdEndsInZeroInstance) {
  auto* c = static_cast<CConfigurator*>(Keep(IConfigurator::Create("s", "d", "1.3.6.1.2.1.1")));
  CConfiguratorTestPeer peer(c);
  EXPECT_EQ(peer.WorkIdLength(), 9u);
  c->SetWorkColumn(4);
  KX_OBJID_T oid;
  KXObjidInit(&oid);
  c->GetWorkId(oid);
  EXPECT_EQ(CConfiguratorTestPeer::OidText(oid), "1.3.6.1.2.1.1.4.0");
  KXObjidFree(&oid);
}

TEST_F(ObjectTest, ChildAndGrandchildAddOneIndexEach) {
  IConfigurator* parent =
      Keep(IConfigurator::Create("p", "d", "1.2.3", IConfigurator::eRowStatus, 1, 0));
  auto* child =
      static_cast<CConfigurator*>(Keep(IConfigurator::Create("c", "d", "1.2.4", *parent)));
  IConfigurator* grandchild = Keep(IConfigurator::Create("g", "d", "1.2.5", *child));
  EXPECT_EQ(parent->IndexLength(), 1);
  EXPECT_EQ(child->IndexLength(), 2);
  EXPECT_EQ(grandchild->IndexLength(), 3);

  CConfiguratorTestPeer peer(child);
  EXPECT_EQ(peer.WorkIdLength(), 3u + 3u);  // L + column + two index positions
  child->SetWorkColumn(7);
  unsigned prefix[] = {42};
  child->SetIndexPrefix(prefix, 1);
  child->SetWorkIndex(9);
  EXPECT_EQ(peer.WorkId(), "1.2.4.7.42.9");
  child->SetParentWorkIndex(43);  // the same position the prefix filled
  EXPECT_EQ(peer.WorkId(), "1.2.4.7.43.9");
}

TEST_F(ObjectTest, OverlongPrefixFillsOnlyTheParentPositions) {
  IConfigurator* parent =
      Keep(IConfigurator::Create("p", "d", "1.2.3", IConfigurator::eRowStatus, 1, 0));
  auto* child =
      static_cast<CConfigurator*>(Keep(IConfigurator::Create("c", "d", "1.2.4", *parent)));
  child->SetWorkColumn(1);
  child->SetWorkIndex(5);
  unsigned prefix[] = {7, 8, 9, 10};
  child->SetIndexPrefix(prefix, 4);
  EXPECT_EQ(CConfiguratorTestPeer(child).WorkId(), "1.2.4.1.7.5");
}

TEST_F(ObjectTest, HelpTextWrapsTheDescription) {
  IConfigurator* empty = Keep(IConfigurator::Create("e", "", "1.2.3"));
  IConfigurator* named = Keep(IConfigurator::Create("n", "the thing", "1.2.3"));
  empty->Register();
  named->Register();
  EXPECT_STREQ(CConfiguratorTestPeer(empty).Command().cmdHelp, "Configure .");
  EXPECT_STREQ(CConfiguratorTestPeer(named).Command().cmdHelp, "Configure the thing.");
}

TEST_F(ObjectTest, RemoveOnFailFollowsTheSetting) {
  struct Case {
    const char* ini;
    bool expected;
  } cases[] = {
      {"", true},
      {"[agent]\nConfigRemoveOnFail=0\n", false},
      {"[agent]\nConfigRemoveOnFail=1\n", true},
      {"[agent]\nConfigRemoveOnFail=off\n", false},
      {"[other]\nConfigRemoveOnFail=0\n", true},
  };
  for (const Case& c : cases) {
    std::string error;
    kxrt::CurrentSettings() = kxrt::Settings();
    ASSERT_TRUE(kxrt::CurrentSettings().LoadString(c.ini, &error)) << error;
    IConfigurator* conf = Keep(IConfigurator::Create("s", "d", "1.2.3"));
    EXPECT_EQ(CConfiguratorTestPeer(conf).RemoveOnFail(), c.expected) << c.ini;
  }
}

TEST_F(ObjectTest, NewObjectHasNoEntriesAndNoCommandUntilRegistered) {
  IConfigurator* c = Keep(IConfigurator::Create("lonely", "d", oids::kTbl, 1));
  EXPECT_EQ(c->NumEntries(), 0);
  EXPECT_EQ(kxrt::Console::Instance().Find("lonely"), nullptr);
  c->Register();
  EXPECT_NE(kxrt::Console::Instance().Find("lonely"), nullptr);
  configurators_.clear();
  EXPECT_EQ(kxrt::Console::Instance().Find("lonely"), nullptr);
}

// ClearConfig reaches registered configurators only, and the registry empties and refills.
TEST_F(ObjectTest, ClearConfigReachesRegisteredConfiguratorsOnly) {
  IConfigurator::ClearConfig("");  // nothing registered: nothing happens
  IConfigurator* tbl = MakeTbl();
  ASSERT_TRUE(Run("tbl index=1 owner=alice create"));
  ASSERT_TRUE(Run("tbl reset"));
  ASSERT_TRUE(Run("tbl index=2 owner=bob create"));
  ASSERT_TRUE(Exists(Cat(oids::kTbl, "6.1")));
  IConfigurator::ClearConfig("ali");
  EXPECT_FALSE(Exists(Cat(oids::kTbl, "6.1")));
  EXPECT_TRUE(Exists(Cat(oids::kTbl, "6.2")));

  // An unregistered twin of the table is never reached.
  configurators_.clear();
  Keep(IConfigurator::Create("tbl", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5))
      ->AddStrCol(2, "name", "n");
  IConfigurator::ClearConfig("");
  EXPECT_TRUE(Exists(Cat(oids::kTbl, "6.2")));
  (void)tbl;

  // Registered again after the registry emptied: reached.
  configurators_.clear();
  MakeTbl();
  IConfigurator::ClearConfig("");
  EXPECT_FALSE(Exists(Cat(oids::kTbl, "6.2")));
}

// ApplyConfig hands the console "config execute" and the quoted file name.
TEST_F(ObjectTest, ApplyConfigQuotesTheFileName) {
  std::vector<std::vector<std::string>> seen;
  kxrt::Console::Instance().AddBuiltin("config execute", "config", "config execute FILE",
                                       "test double", [&](const std::vector<std::string>& words) {
                                         seen.push_back(words);
                                         return true;
                                       });
  IConfigurator::ApplyConfig("plain.cfg");
  IConfigurator::ApplyConfig("\"already quoted.cfg\"");
  IConfigurator::ApplyConfig("");
  IConfigurator::ApplyConfig("odd \"name\\x41.cfg");
  kxrt::Console::Instance().Reset();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], std::vector<std::string>{"plain.cfg"});
  EXPECT_EQ(seen[1], std::vector<std::string>{"already quoted.cfg"});
  EXPECT_EQ(seen[2], std::vector<std::string>{""});
  EXPECT_EQ(seen[3], std::vector<std::string>{"odd \"name\\x41.cfg"});
}

}  // namespace
}  // namespace korvax
