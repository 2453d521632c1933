#include "kxrt/settings.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "kx_host.h"

namespace {

TEST(Settings, FlagsReadNumbersAndBooleanWordsOnly) {
  kxrt::Settings settings;
  std::string error;
  ASSERT_TRUE(
      settings.LoadString("[agent]\n"
                          "one = 1\n"
                          "minus = -7\n"
                          "Yes = YES\n"
                          "off = off\n"
                          "t = True\n"
                          "word = maybe\n"
                          "mixed = 1x\n"
                          "empty =\n"
                          "huge = 99999999999\n"
                          "[other]\n"
                          "elsewhere = 1\n",
                          &error))
      << error;
  struct Case {
    const char* key;
    std::optional<int> flag;
  } cases[] = {
      {"one", 1},
      {"minus", -7},
      {"yes", 1},
      {"OFF", 0},
      {"t", 1},
      {"word", std::nullopt},
      {"mixed", std::nullopt},
      {"empty", std::nullopt},
      {"huge", std::nullopt},
      {"elsewhere", std::nullopt},
      {"absent", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(settings.GetFlag("agent", c.key), c.flag) << c.key;
  EXPECT_EQ(settings.Get("Agent", "WORD"), "maybe");
  EXPECT_EQ(settings.GetFlag("other", "elsewhere"), 1);
}

TEST(Settings, KXGetIniFlagStoresOnlyWhenTheKeyHoldsAFlag) {
  kxrt::Settings& current = kxrt::CurrentSettings();
  current.Set("agent", "ConfigRemoveOnFail", "0");
  current.Set("agent", "Chatty", "very");
  current.Set("general", "Elsewhere", "1");
  int flag = 5;
  EXPECT_EQ(KXGetIniFlag("ConfigRemoveOnFail", &flag), 1);
  EXPECT_EQ(flag, 0);
  flag = 5;
  EXPECT_EQ(KXGetIniFlag("Chatty", &flag), 0);
  EXPECT_EQ(KXGetIniFlag("Elsewhere", &flag), 0);
  EXPECT_EQ(KXGetIniFlag("NeverSet", &flag), 0);
  EXPECT_EQ(KXGetIniFlag(nullptr, &flag), 0);
  EXPECT_EQ(KXGetIniFlag("ConfigRemoveOnFail", nullptr), 0);
  EXPECT_EQ(flag, 5);
}

class SettingsFileTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TempDir() + "/kxsettings_" + std::to_string(getpid()) + ".ini";
  }
  void TearDown() override { unlink(path_.c_str()); }
  void Write(const std::string& text) { std::ofstream(path_) << text; }
  std::string path_;
};

TEST_F(SettingsFileTest, BadLineNamesFileAndLineAndChangesNothing) {
  kxrt::Settings settings;
  settings.Set("agent", "kept", "1");
  Write("[agent]\nkept = 2\nnew = 3\nthis line has no equals sign\n");
  std::string error;
  EXPECT_FALSE(settings.LoadFile(path_, &error));
  EXPECT_EQ(error.rfind(path_ + ":4: ", 0), 0u) << error;
  EXPECT_EQ(settings.Get("agent", "kept"), "1");
  EXPECT_EQ(settings.Get("agent", "new"), std::nullopt);

  EXPECT_FALSE(settings.LoadString("[agent\n", &error));
  EXPECT_NE(error.find(":1: "), std::string::npos) << error;
}

TEST_F(SettingsFileTest, GoodFileAddsOverExistingKeys) {
  kxrt::Settings settings;
  settings.Set("agent", "kept", "1");
  settings.Set("agent", "replaced", "1");
  Write(
      "; comment\n[agent]\nreplaced = 3\nreplaced = 2 ; inline comment\n"
      "KeyFile = /var/lib/agent.key\n");
  std::string error;
  ASSERT_TRUE(settings.LoadFile(path_, &error)) << error;
  EXPECT_EQ(settings.Get("agent", "kept"), "1");
  EXPECT_EQ(settings.Get("agent", "replaced"), "2");
  EXPECT_EQ(settings.Get("agent", "keyfile"), "/var/lib/agent.key");
}

TEST_F(SettingsFileTest, MissingFileIsOneClearError) {
  kxrt::Settings settings;
  std::string error;
  EXPECT_FALSE(settings.LoadFile(path_, &error));
  EXPECT_EQ(error, path_ + ": cannot open: No such file or directory");
}

}  // namespace
