#include "kxrt/console.h"

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kx_host.h"
#include "kxrt/log.h"

namespace {

using Words = std::vector<std::string>;

// A registered command that records the words of every call and runs an optional action.
struct Recorder {
  explicit Recorder(const char* name, const char* group = "test") {
    cmd.group = group;
    cmd.cmdName = name;
    cmd.cmdHelp = "Records its words.";
    cmd.callback = &Recorder::Callback;
    cmd.context = this;
  }
  static int Callback(KX_CONSOLE_CMD_T* cmd, int argc, const char* const* argv) {
    auto* self = static_cast<Recorder*>(cmd->context);
    EXPECT_EQ(argv[argc], nullptr);
    self->calls.emplace_back(argv, argv + argc);
    int result = self->result;
    if (self->action) self->action();
    return result;
  }
  KX_CONSOLE_CMD_T cmd{};
  std::vector<Words> calls;
  int result = 1;
  std::function<void()> action;
};

class ConsoleTest : public testing::Test {
 protected:
  void SetUp() override { console().Reset(); }
  void TearDown() override { console().Reset(); }
  static kxrt::Console& console() { return kxrt::Console::Instance(); }
  kxrt::LogCapture log_;
};

TEST_F(ConsoleTest, LinesSplitIntoTheWordsAfterTheCommandName) {
  Recorder rec("rec");
  ASSERT_EQ(KXConsoleRegisterv(&rec.cmd), 1);
  struct Case {
    const char* line;
    Words words;
  } cases[] = {
      {"rec a b", {"a", "b"}},
      {"rec", {}},
      {"  rec\tx  ", {"x"}},
      {"rec owner=\"a b\" index=3", {"owner=a b", "index=3"}},
      {"rec \"\" x \"\"", {"", "x", ""}},
      {"rec a\\ b \\\"q\\\" \\x41\\\\", {"a b", "\"q\"", "A\\"}},
      {"rec #not-a-comment", {"#not-a-comment"}},
      {"rec a\r\n", {"a"}},
      {"rec a\n", {"a"}},
      {"\"rec\" quoted-name", {"quoted-name"}},
  };
  for (const Case& c : cases) {
    rec.calls.clear();
    EXPECT_EQ(KXConsoleExecute(c.line), 1) << c.line;
    EXPECT_EQ(rec.calls, std::vector<Words>{c.words}) << c.line;
  }
  EXPECT_EQ(log_.Text(), "");
}

TEST_F(ConsoleTest, BlankAndCommentLinesDoNothingAndSucceed) {
  Recorder rec("rec");
  ASSERT_TRUE(console().Register(&rec.cmd));
  for (const char* line : {"", "   ", "\t", "# rec x", "   # rec x", "\r\n"}) {
    EXPECT_TRUE(console().Execute(line)) << '"' << line << '"';
  }
  EXPECT_TRUE(rec.calls.empty());
  EXPECT_EQ(log_.Text(), "");
}

TEST_F(ConsoleTest, LinesThatCannotRunFailWithOneLoggedLine) {
  Recorder rec("rec");
  ASSERT_TRUE(console().Register(&rec.cmd));
  struct Case {
    std::string line;
    const char* message;
  } cases[] = {
      {"nope a b", "Unknown command \"nope\".\n"},
      {"Rec a", "Unknown command \"Rec\".\n"},
      {"\"\"", "Unknown command \"\".\n"},
      {"rec \"open", nullptr},
      {"rec \\x00", nullptr},
      {std::string("rec a\0b", 7), "The line holds a NUL byte; it was not run.\n"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(console().Execute(c.line)) << c.line;
    std::string text = log_.Take();
    if (c.message != nullptr) {
      EXPECT_EQ(text, c.message);
    } else {
      EXPECT_EQ(text.rfind("Cannot split the line: ", 0), 0u) << text;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  }
  EXPECT_TRUE(rec.calls.empty());
  EXPECT_EQ(KXConsoleExecute(nullptr), 0);

  rec.result = 0;  // a callback that could not run the line
  EXPECT_EQ(KXConsoleExecute("rec"), 0);
  EXPECT_EQ(log_.Take(), "Command \"rec\" did not run; \"help rec\" shows its syntax.\n");
}

TEST_F(ConsoleTest, RegistrationIsByNameAndRefusesClashes) {
  Recorder first("rec"), second("rec"), builtin("help"), other("other");
  EXPECT_EQ(KXConsoleRegisterv(&first.cmd), 1);
  EXPECT_EQ(KXConsoleRegisterv(&second.cmd), 0);
  EXPECT_NE(log_.Take().find("already registered"), std::string::npos);
  EXPECT_EQ(KXConsoleRegisterv(&first.cmd), 0);
  EXPECT_EQ(KXConsoleRegisterv(&builtin.cmd), 0);
  EXPECT_NE(log_.Take().find("built in"), std::string::npos);
  KX_CONSOLE_CMD_T nameless{};
  nameless.callback = &Recorder::Callback;
  EXPECT_EQ(KXConsoleRegisterv(&nameless), 0);
  other.cmd.callback = nullptr;
  EXPECT_EQ(KXConsoleRegisterv(&other.cmd), 0);
  EXPECT_EQ(KXConsoleRegisterv(nullptr), 0);

  EXPECT_EQ(KXConsoleExecute("rec x"), 1);
  EXPECT_EQ(first.calls.size(), 1u);
  EXPECT_TRUE(second.calls.empty());
  EXPECT_EQ(console().Find("rec"), &first.cmd);

  EXPECT_EQ(KXConsoleDeregisterv(&second.cmd), 0);  // same name, other descriptor
  EXPECT_EQ(KXConsoleDeregisterv(&first.cmd), 1);
  EXPECT_EQ(KXConsoleDeregisterv(&first.cmd), 0);
  EXPECT_EQ(KXConsoleExecute("rec x"), 0);
  EXPECT_EQ(KXConsoleRegisterv(&second.cmd), 1);  // the name is free again
  EXPECT_EQ(KXConsoleExecute("rec y"), 1);
  EXPECT_EQ(second.calls, std::vector<Words>{Words{"y"}});
}

TEST_F(ConsoleTest, DeregisterFindsTheDescriptorEvenIfItsNameChanged) {
  Recorder rec("rec");
  ASSERT_TRUE(console().Register(&rec.cmd));
  rec.cmd.cmdName = "renamed";
  EXPECT_TRUE(console().Deregister(&rec.cmd));
  EXPECT_EQ(console().Find("rec"), nullptr);
}

TEST_F(ConsoleTest, TwoWordBuiltinIsMatchedBeforeAOneWordCommand) {
  Recorder config("config"), other("other");
  ASSERT_TRUE(console().Register(&config.cmd));
  ASSERT_TRUE(console().Register(&other.cmd));
  std::string path = testing::TempDir() + "/kxconsole_two_words.cfg";
  std::ofstream(path) << "other from-file\n";
  EXPECT_TRUE(console().Execute("config execute \"" + path + "\""));
  EXPECT_TRUE(console().Execute("config set x"));
  EXPECT_EQ(other.calls, std::vector<Words>{Words{"from-file"}});
  EXPECT_EQ(config.calls, (std::vector<Words>{Words{"set", "x"}}));
  unlink(path.c_str());
}

TEST_F(ConsoleTest, CallbacksMayExecuteLinesAndDeregisterCommands) {
  Recorder outer("outer"), inner("inner"), victim("victim");
  ASSERT_TRUE(console().Register(&outer.cmd));
  ASSERT_TRUE(console().Register(&inner.cmd));
  ASSERT_TRUE(console().Register(&victim.cmd));
  outer.action = [&] {
    EXPECT_EQ(KXConsoleExecute("inner \"nested line\""), 1);
    EXPECT_EQ(KXConsoleDeregisterv(&victim.cmd), 1);
  };
  EXPECT_EQ(KXConsoleExecute("outer go"), 1);
  EXPECT_EQ(outer.calls, std::vector<Words>{Words{"go"}});
  EXPECT_EQ(inner.calls, std::vector<Words>{Words{"nested line"}});
  EXPECT_EQ(KXConsoleExecute("victim"), 0);
}

TEST_F(ConsoleTest, DescriptorIsNotTouchedAfterItsCallbackDeregistersIt) {
  auto rec = std::make_unique<Recorder>("selfdestruct");
  ASSERT_TRUE(console().Register(&rec->cmd));
  bool ran = false;
  rec->action = [&] {
    ASSERT_EQ(KXConsoleDeregisterv(&rec->cmd), 1);
    // Poison the descriptor as a freed one would be: any later use of it misbehaves.
    memset(static_cast<void*>(&rec->cmd), 0xA5, sizeof rec->cmd);
    ran = true;
  };
  EXPECT_EQ(KXConsoleExecute("selfdestruct now"), 1);
  EXPECT_TRUE(ran);
  EXPECT_EQ(console().Find("selfdestruct"), nullptr);
  EXPECT_EQ(log_.Text(), "");
}

TEST_F(ConsoleTest, EndlessNestingStopsAtTheLimit) {
  Recorder loop("loop");
  ASSERT_TRUE(console().Register(&loop.cmd));
  loop.action = [] { KXConsoleExecute("loop again"); };
  EXPECT_EQ(KXConsoleExecute("loop"), 1);
  EXPECT_EQ(loop.calls.size(), static_cast<size_t>(kxrt::Console::kMaxNesting));
  EXPECT_EQ(log_.Take(), "Lines nested deeper than 32 levels; \"loop\" was not run.\n");
}

class ConsoleFileTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    std::string pattern = testing::TempDir() + "/kxconsoleXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir_ = name.data();
    ASSERT_TRUE(console().Register(&rec_.cmd));
  }
  void TearDown() override {
    for (const std::string& path : written_) unlink(path.c_str());
    rmdir(dir_.c_str());
    ConsoleTest::TearDown();
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    written_.push_back(path);
    return path;
  }
  std::string dir_;
  std::vector<std::string> written_;
  Recorder rec_{"rec"};
};

TEST_F(ConsoleFileTest, RunsEveryLineAndGoesOnPastFailingOnes) {
  std::string path = Write("main.cfg",
                           "# saved configuration\n"
                           "\r\n"
                           "rec one\r\n"
                           "nope\n"
                           "rec \"two words\"\n"
                           "rec \"unterminated\n"
                           "   \n"
                           "rec three");  // the last line needs no line feed
  EXPECT_TRUE(console().ExecuteFile(path));
  EXPECT_EQ(rec_.calls, (std::vector<Words>{Words{"one"}, Words{"two words"}, Words{"three"}}));
  std::string text = log_.Take();
  EXPECT_EQ(text.rfind(path + ":4: Unknown command \"nope\".\n" + path + ":6: Cannot split", 0), 0u)
      << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
  // Outside the file, messages carry no location again.
  EXPECT_FALSE(console().Execute("nope"));
  EXPECT_EQ(log_.Take(), "Unknown command \"nope\".\n");
}

TEST_F(ConsoleFileTest, MissingOrUnreadableFileIsOneErrorAndFails) {
  std::string missing = dir_ + "/missing.cfg";
  EXPECT_EQ(KXConsoleExecute(("config execute \"" + missing + "\"").c_str()), 0);
  EXPECT_EQ(log_.Take(), "Cannot read \"" + missing + "\": No such file or directory.\n");
  EXPECT_FALSE(console().ExecuteFile(dir_));
  EXPECT_EQ(log_.Take(), "Cannot read \"" + dir_ + "\": Is a directory.\n");
  EXPECT_FALSE(console().Execute("config execute"));
  EXPECT_FALSE(console().Execute("config execute a b"));
  EXPECT_EQ(log_.Take(), "Usage: config execute <file>\nUsage: config execute <file>\n");
  EXPECT_TRUE(rec_.calls.empty());
}

TEST_F(ConsoleFileTest, NestedFilesRunAndAFileNeverRunsItself) {
  std::string self = Write("self.cfg", "");
  Write("self.cfg", "rec a\nconfig execute \"" + self + "\"\nrec b\n");
  std::string b = dir_ + "/b.cfg";
  std::string a = Write("a.cfg", "rec in-a\nconfig execute \"" + b + "\"\nrec after-b\n");
  Write("b.cfg", "rec in-b\nconfig execute \"" + a + "\"\nnope\n");

  EXPECT_TRUE(console().ExecuteFile(self));
  EXPECT_EQ(rec_.calls, (std::vector<Words>{Words{"a"}, Words{"b"}}));
  EXPECT_EQ(log_.Take(), self + ":2: \"" + self +
                             "\" is already being executed; a file cannot execute itself.\n");

  rec_.calls.clear();
  EXPECT_TRUE(console().Execute("config execute " + a));
  EXPECT_EQ(rec_.calls, (std::vector<Words>{Words{"in-a"}, Words{"in-b"}, Words{"after-b"}}));
  EXPECT_EQ(log_.Take(), b + ":2: \"" + a +
                             "\" is already being executed; a file cannot execute itself.\n" + b +
                             ":3: Unknown command \"nope\".\n");
  // Once finished, a file may run again.
  EXPECT_TRUE(console().ExecuteFile(b));
}

TEST_F(ConsoleTest, OwnerStackNeverPopsTheBase) {
  EXPECT_STREQ(KXConsoleGetOwner(), "console");
  KXConsolePushOwner("~");
  EXPECT_STREQ(KXConsoleGetOwner(), "console~");
  KXConsolePushOwner("admin");
  EXPECT_STREQ(KXConsoleGetOwner(), "admin");
  KXConsolePushOwner("~tmp");
  EXPECT_STREQ(KXConsoleGetOwner(), "admin~tmp");
  EXPECT_EQ(console().OwnerDepth(), 3u);
  EXPECT_EQ(KXConsoleGetOwner(), console().Owner().c_str());
  KXConsolePopOwner();
  EXPECT_STREQ(KXConsoleGetOwner(), "admin");
  KXConsolePopOwner();
  KXConsolePopOwner();
  KXConsolePopOwner();  // more pops than pushes
  EXPECT_STREQ(KXConsoleGetOwner(), "console");
  EXPECT_EQ(console().OwnerDepth(), 0u);

  console().SetBaseOwner("");
  EXPECT_STREQ(KXConsoleGetOwner(), "");
  KXConsolePushOwner("~");
  EXPECT_STREQ(KXConsoleGetOwner(), "~");
  KXConsolePushOwner(nullptr);  // an empty owner, popped like any other
  EXPECT_STREQ(KXConsoleGetOwner(), "");
  EXPECT_EQ(console().OwnerDepth(), 2u);
}

TEST_F(ConsoleTest, ValuesAreKeptByName) {
  EXPECT_EQ(console().Value("?"), "");
  EXPECT_EQ(KXConsoleSetValue("?", "5"), 1);
  EXPECT_EQ(KXConsoleSetValue("other", nullptr), 1);
  EXPECT_EQ(KXConsoleSetValue(nullptr, "1"), 0);
  EXPECT_EQ(console().Value("?"), "5");
  EXPECT_EQ(KXConsoleSetValue("?", "0"), 1);
  EXPECT_EQ(console().Value("?"), "0");
  EXPECT_EQ(console().Value("other"), "");
  console().Reset();
  EXPECT_EQ(console().Value("?"), "");
}

TEST_F(ConsoleTest, HelpShowsDescriptorTextsAsTheyStand) {
  const char* properties[] = {"alpha               ENUM     The first column.", "\ta", "\tb",
                              "name                STRING   A name."};
  Recorder tbl("tbl", "config");
  tbl.cmd.cmdHelp = "Configure the table.";
  tbl.cmd.syntax = "tbl <property>=<value>\ntbl create [<property>=<value>]\ntbl reset";
  tbl.cmd.propertyLines = properties;
  tbl.cmd.propertyCount = 4;
  Recorder bare("bare", nullptr);
  bare.cmd.cmdHelp = nullptr;
  ASSERT_TRUE(console().Register(&tbl.cmd));
  ASSERT_TRUE(console().Register(&bare.cmd));

  const std::string tblHelp =
      "Configure the table.\n"
      "tbl <property>=<value>\n"
      "tbl create [<property>=<value>]\n"
      "tbl reset\n"
      "alpha               ENUM     The first column.\n"
      "\ta\n"
      "\tb\n"
      "name                STRING   A name.\n";
  std::string text;
  ASSERT_TRUE(console().HelpFor("tbl", &text));
  EXPECT_EQ(text, tblHelp);
  ASSERT_TRUE(console().HelpFor("bare", &text));
  EXPECT_EQ(text, "");
  ASSERT_TRUE(console().HelpFor("config execute", &text));
  EXPECT_EQ(text, "Runs the lines of a file as if typed.\nconfig execute <file>\n");
  EXPECT_FALSE(console().HelpFor("nope", &text));

  EXPECT_EQ(console().Help(),
            "config:\n"
            "  tbl             Configure the table.\n"
            "console:\n"
            "  config execute  Runs the lines of a file as if typed.\n"
            "  help            Lists the commands, or shows one command's help.\n"
            "other:\n"
            "  bare\n");
  EXPECT_EQ(console().CommandNames(), (std::vector<std::string>{"bare", "config", "help", "tbl"}));

  testing::internal::CaptureStdout();
  EXPECT_TRUE(console().Execute("help tbl"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), tblHelp);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(console().Execute("help"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), console().Help());
  EXPECT_FALSE(console().Execute("help nope"));
  EXPECT_EQ(log_.Take(), "Unknown command \"nope\".\n");
}

TEST_F(ConsoleTest, ResetRestoresTheStandardBuiltinsOnly) {
  int runs = 0;
  console().AddBuiltin("mib get", "mib", "mib get <oid>", "Reads an instance.",
                       [&runs](const Words& words) {
                         ++runs;
                         return words == Words{"1.3.6"};
                       });
  EXPECT_TRUE(console().Execute("mib get 1.3.6"));
  EXPECT_FALSE(console().Execute("mib get other"));
  EXPECT_EQ(runs, 2);
  console().Reset();
  EXPECT_FALSE(console().Execute("mib get 1.3.6"));
  EXPECT_EQ(runs, 2);
  std::string text;
  EXPECT_TRUE(console().HelpFor("help", &text));
  EXPECT_TRUE(console().HelpFor("config execute", &text));
}

}  // namespace
