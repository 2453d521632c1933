// The console command a configurator registers: syntax and property help texts, and the
// callback's contract.

#include "configurator/testutil.h"

namespace korvax {
namespace {

using RegistrationTest = ConfiguratorTest;

std::vector<std::string> PropertyLines(IConfigurator* c) {
  const KX_CONSOLE_CMD_T& cmd = CConfiguratorTestPeer(c).Command();
  return std::vector<std::string>(cmd.propertyLines, cmd.propertyLines + cmd.propertyCount);
}

TEST_F(RegistrationTest, SyntaxByTableKind) {
  IConfigurator* status = MakeEnt();
  IConfigurator* child = Keep(IConfigurator::Create("kid", "d", oids::kSub, *status));
  IConfigurator* scalars = Keep(IConfigurator::Create("n", "d", oids::kScalars));
  IConfigurator* indexed = Keep(IConfigurator::Create("idx", "d", oids::kIfTable, 1));
  for (IConfigurator* c : {child, scalars, indexed}) c->Register();
  auto syntax = [](IConfigurator* c) {
    return std::string(CConfiguratorTestPeer(c).Command().syntax);
  };
  EXPECT_EQ(syntax(status), "ent <property>=<value>\nent create [<property>=<value>]\nent reset");
  EXPECT_EQ(syntax(child), "kid <property>=<value>\nkid store [<property>=<value>]\nkid reset");
  EXPECT_EQ(syntax(scalars), "n <property>=<value>\n");
  EXPECT_EQ(syntax(indexed), "idx <property>=<value>\nidx reset");
  const KX_CONSOLE_CMD_T& cmd = CConfiguratorTestPeer(status).Command();
  EXPECT_STREQ(cmd.group, "config");
  EXPECT_STREQ(cmd.cmdName, "ent");
  EXPECT_EQ(cmd.callback, &ConfiguratorGenericCallback);
  EXPECT_EQ(cmd.context, static_cast<CConfigurator*>(status));
  EXPECT_EQ(cmd.reserved, 0);
}

TEST_F(RegistrationTest, PropertyLinesShowNameTypeHelpAndEnumerations) {
  IConfigurator* c =
      Keep(IConfigurator::Create("t", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  c->AddStrCol(2, "abcdefghijklmnopqrstuvwxy", "cut to twenty");  // 25 characters
  c->AddIntCol(3, "sw", "switch");
  c->AddEnum(3, 1, "b");
  c->AddEnum(3, 2, "a");
  c->AddEnum(3, -1, "hidden");
  c->AddIntCol(4, "cnt", "count");
  c->AddIntCol(7, "hid", "only hidden names");
  c->AddEnum(7, -3, "secretname");
  c->AddStrCol(8, "pw", "password");
  c->AddStrCol(9, "ip", "address");
  c->AddStrCol(10, "oid", "identifier");
  c->AddStrCol(11, "hex", "hex");
  c->SetStrFmt(11, IConfigurator::eFmtHex);
  c->AddStrCol(12, "dec", "dec");
  c->SetStrFmt(12, IConfigurator::eFmtDecimal);
  c->AddUnsCol(13, "u", "unsigned");
  c->AddUnsCol(14, "tt", "ticks");
  c->AddIntCol(99, "none", "not registered");
  c->Register();
  const std::vector<std::string> expected = {
      "abcdefghijklmnopqrstSTRING   cut to twenty",
      "sw                  ENUM     switch",
      "\ta",
      "\tb",
      "cnt                 INTEGER  count",
      "hid                 ENUM     only hidden names",
      "pw                  STRING   password",
      "ip                  IPADDR   address",
      "oid                 OBJECTID identifier",
      "hex                 STRING (hex) hex",
      "dec                 STRING (dec) dec",
      "u                   UNSIGNED unsigned",
      "tt                  TIMETICKS ticks",
      "none                UNKNOWN  not registered",
  };
  EXPECT_EQ(PropertyLines(c), expected);
}

TEST_F(RegistrationTest, NoColumnsNoPropertyLines) {
  IConfigurator* c = Keep(IConfigurator::Create("bare", "d", oids::kScalars));
  c->Register();
  EXPECT_EQ(CConfiguratorTestPeer(c).Command().propertyCount, 0);
  std::string help;
  ASSERT_TRUE(kxrt::Console::Instance().HelpFor("bare", &help));
  EXPECT_NE(help.find("Configure d."), std::string::npos) << help;
}

TEST_F(RegistrationTest, CallbackContract) {
  IConfigurator* tbl = MakeTbl();
  auto* conf = static_cast<CConfigurator*>(tbl);
  kxrt::Console::Instance().SetValue("?", "before");
  EXPECT_FALSE(conf->Callback(0, nullptr));
  EXPECT_EQ(ConfiguratorGenericCallback(
                &const_cast<KX_CONSOLE_CMD_T&>(CConfiguratorTestPeer(tbl).Command()), 0, nullptr),
            0);
  EXPECT_EQ(Result(), "before");  // nothing ran
  // A line that fails to parse runs nothing and pops nothing.
  const char* bad[] = {"count=abc", "create"};
  EXPECT_TRUE(conf->Callback(2, bad));
  EXPECT_EQ(Result(), "before");
  EXPECT_FALSE(Exists(Cat(oids::kTbl, "6.1")));
  EXPECT_EQ(kxrt::Console::Instance().Owner(), "");
}

TEST_F(RegistrationTest, SecondRegistrationChangesNothing) {
  IConfigurator* c = MakeEnt();
  const KX_CONSOLE_CMD_T before = CConfiguratorTestPeer(c).Command();
  EXPECT_TRUE(c->Register());
  EXPECT_EQ(CConfiguratorTestPeer(c).Command().syntax, before.syntax);
  EXPECT_EQ(kxrt::Console::Instance().Find("ent"), &CConfiguratorTestPeer(c).Command());
}

TEST_F(RegistrationTest, HelpThroughTheConsole) {
  MakeScalars();
  std::string help;
  ASSERT_TRUE(kxrt::Console::Instance().HelpFor("sys", &help));
  EXPECT_NE(help.find("sys <property>=<value>"), std::string::npos) << help;
  EXPECT_NE(help.find("level               INTEGER  Level"), std::string::npos) << help;
  EXPECT_NE(help.find("\tmanual"), std::string::npos) << help;
}

}  // namespace
}  // namespace korvax
