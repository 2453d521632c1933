#include "completion.h"

#include <gtest/gtest.h>

#include <memory>

#include "configurator_set.h"
#include "definitions.h"
#include "host_commands.h"
#include "kxrt/mib.h"
#include "mib_tables.h"

namespace kxagent {
namespace {

using Words = std::vector<std::string>;

// The built-in tables registered for real, so completion reads the descriptors the library
// actually builds.
class CompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kxrt::Console::Instance().Reset();
    std::string error;
    ASSERT_TRUE(ParseDefinitions(BuiltinDefinitionsText(), "built-in", &defs_, &error)) << error;
    ASSERT_TRUE(RegisterTables(defs_, &mib_, &error)) << error;
    kxrt::SetCurrentMib(&mib_);
    configurators_ = std::make_unique<ConfiguratorSet>(defs_);
    HostContext context;
    AddHostCommands(kxrt::Console::Instance(), context);
    AddMibCommands(kxrt::Console::Instance(), stdout);
  }
  void TearDown() override {
    configurators_.reset();
    kxrt::SetCurrentMib(nullptr);
    kxrt::Console::Instance().Reset();
  }

  static Words Complete(const std::string& line) {
    return CompleteLastWord(line, kxrt::Console::Instance());
  }

  Definitions defs_;
  kxrt::MemoryMib mib_;
  std::unique_ptr<ConfiguratorSet> configurators_;
};

TEST_F(CompletionTest, CommandNamesAndHostSubcommands) {
  EXPECT_EQ(Complete("s"), (Words{"subnet", "system"}));
  EXPECT_EQ(Complete("co"), (Words{"community", "config"}));
  EXPECT_EQ(Complete("config s"), (Words{"save", "show"}));
  EXPECT_EQ(Complete("mib "), (Words{"get", "next", "set", "walk"}));
  EXPECT_EQ(Complete("help us"), (Words{"user"}));
  EXPECT_EQ(Complete("config save x"), Words{});
  EXPECT_EQ(Complete("nosuch "), Words{});
}

TEST_F(CompletionTest, VerbsKeywordsAndPropertiesOfEachKindOfTable) {
  EXPECT_EQ(Complete("user "),
            (Words{"activate", "create", "createAndGo", "createAndWait", "createpersistent",
                   "index=", "level=", "name=", "owner=", "password=", "reset"}));
  EXPECT_EQ(Complete("peer "),
            (Words{"address=", "index=", "keyid=", "reset", "store", "weight="}));
  EXPECT_EQ(
      Complete("system "),
      (Words{"contact=", "diagnostics=", "location=", "timeout=", "trapsink=", "verbosity="}));
  EXPECT_EQ(Complete("host "), (Words{"address=", "hostname=", "index=", "mac=", "reset"}));
  EXPECT_EQ(Complete("user name=bob cr"),
            (Words{"create", "createAndGo", "createAndWait", "createpersistent"}));
}

TEST_F(CompletionTest, EnumerationNamesAfterTheEqualsSign) {
  // The input-only name "superuser" is not offered; aliases have no help line either.
  EXPECT_EQ(Complete("user level="), (Words{"level=admin", "level=guest", "level=operator"}));
  EXPECT_EQ(Complete("system verbosity=d"), (Words{"verbosity=debug"}));
  EXPECT_EQ(Complete("user name="), Words{});
  EXPECT_EQ(Complete("user \"name"), Words{});
}

TEST(CompletionWordsTest, ReadsAHandMadeDescriptor) {
  const char* lines[] = {"averyveryverylongname_cut INTEGER  cut at twenty",
                         "mode                ENUM     a mode", "\tfast", "\tslow",
                         "ip                  IPADDR   an address"};
  KX_CONSOLE_CMD_T cmd = {};
  cmd.cmdName = "thing";
  cmd.syntax = "thing <property>=<value>\nthing store [<property>=<value>]\nthing reset";
  cmd.propertyLines = lines;
  cmd.propertyCount = 5;
  CommandWords words = WordsOf(cmd);
  EXPECT_EQ(words.verbs, (Words{"reset", "store"}));
  EXPECT_EQ(words.keywords, Words{"index="});
  ASSERT_EQ(words.properties.size(), 3u);
  EXPECT_EQ(words.properties[0].first, "averyveryverylongnam");
  EXPECT_EQ(words.properties[1].first, "mode");
  EXPECT_EQ(words.properties[1].second, (Words{"fast", "slow"}));
  EXPECT_EQ(words.properties[2].first, "ip");
}

}  // namespace
}  // namespace kxagent
