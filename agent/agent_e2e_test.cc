// Runs the built kxagent program as a user would: lines through a pipe or --exec, files in a
// temporary folder, and looks at its output, its files and its exit status.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
  int status = -1;  // exit status; -1 when the program did not exit normally
  int signal = 0;   // the signal that ended it, if one did
  std::string out;  // standard output
  std::string err;  // standard error
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class AgentE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kxagent_e2e_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Starts kxagent in the temporary folder with args, feeds input through a pipe on its
  // standard input and waits for it.
  Outcome Agent(const std::vector<std::string>& args, const std::string& input = "") {
    std::string outPath = Path(".stdout"), errPath = Path(".stderr");
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    pid_t pid = fork();
    if (pid == 0) {
      dup2(pipeFds[0], STDIN_FILENO);
      close(pipeFds[0]);
      close(pipeFds[1]);
      int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      if (chdir(dir_.c_str()) != 0) _exit(126);
      std::vector<char*> argv = {const_cast<char*>(KXAGENT_BINARY)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(KXAGENT_BINARY, argv.data());
      _exit(127);
    }
    close(pipeFds[0]);
    signal(SIGPIPE, SIG_IGN);  // an agent that stops early must not kill the test
    size_t done = 0;
    while (done < input.size()) {
      ssize_t n = write(pipeFds[1], input.data() + done, input.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(pipeFds[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome run;
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return run;
  }

  std::string dir_;
};

// Cipher texts differ on every save (a fresh nonce each time); what they stand for is compared
// through the MIB walk, which shows the clear values.
std::string WithoutCipherTexts(const std::string& text) {
  return std::regex_replace(text, std::regex("@=[^\n]*"), "@=<enciphered>");
}

// Rows in every kind of table: an EntryStatus table with owners, a RowStatus table with a child
// and a grandchild, a string-status table, a scalar group and an indexed table; enumerations
// (an input-only one too), hex, decimal, OID, IP address and enciphered values.
const char kTour[] =
    "user name=alice password=\"s3cret pw\" level=superuser createpersistent\n"
    "user reset\n"
    "user name=bob level=operator owner=ops create\n"
    "user reset\n"
    "user name=temp level=guest create\n"  // no owner: a temporary row, never saved
    "user reset\n"
    "subnet prefix=10.1.0.0 length=16 store\n"
    "subnet prefix=10.2.0.0 store\n"
    "peer address=192.0.2.1 keyid=0a:1b:ff weight=5 store\n"
    "subnet prefix=10.3.0.0 length=8 store\n"
    "peer address=192.0.2.2 store\n"
    "vpn name=branch secret=abc mtu=1400 createpersistent\n"
    "community name=public access=write view=1.3.6.1.2 createpersistent\n"
    "system contact=ops@example.com location=\"rack 4\" trapsink=10.0.0.1 timeout=6000\n"
    "system verbosity=debug\n"
    "host hostname=printer address=10.0.0.9 mac=00:11:22:33:44:55\n"
    "host index=7 hostname=nas address=10.0.0.10\n";

TEST_F(AgentE2eTest, SavedRowsComeBackInAFreshProcess) {
  Outcome first = Agent({}, std::string(kTour) + "config show\nmib walk\nconfig save\n");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "Saved the configuration to kxagent.cfg.\n");

  std::string saved = ReadFile(Path("kxagent.cfg"));
  EXPECT_NE(saved.find("user create index=1 owner=console\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("user create index=2 owner=ops\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("index=3"), std::string::npos) << saved;  // the temporary row
  EXPECT_NE(saved.find("subnet store index=2\npeer store index=1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("vpn create index=1 owner=console\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("host index=7\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("user level=admin\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("s3cret"), std::string::npos) << saved;  // enciphered on disk
  EXPECT_NE(saved.find("user password@="), std::string::npos) << saved;
  struct stat key;
  ASSERT_EQ(stat(Path("kxagent.key").c_str(), &key), 0);
  EXPECT_EQ(key.st_mode & 0777, 0600u);

  // "config show" printed exactly what was saved, then the walk followed.
  size_t walkStart = first.out.find("1.3.6.1.4.1.99999.");
  ASSERT_NE(walkStart, std::string::npos) << first.out;
  std::string firstShow = first.out.substr(0, walkStart);
  std::string firstWalk = first.out.substr(walkStart);
  EXPECT_EQ(WithoutCipherTexts(firstShow), WithoutCipherTexts(saved));
  EXPECT_NE(firstWalk.find("1.3.6.1.4.1.99999.1.1.2.1 = STRING: s3cret pw\n"), std::string::npos);
  // The child-size columns: two peers under the tunnel, two and one subnets under the peers.
  EXPECT_NE(firstWalk.find("1.3.6.1.4.1.99999.2.1.4.1 = INTEGER: 2\n"), std::string::npos);
  EXPECT_NE(firstWalk.find("1.3.6.1.4.1.99999.2.2.4.1.1 = INTEGER: 2\n"), std::string::npos);
  EXPECT_NE(firstWalk.find("1.3.6.1.4.1.99999.2.2.4.1.2 = INTEGER: 1\n"), std::string::npos);
  EXPECT_NE(firstWalk.find("1.3.6.1.4.1.99999.2.3.1.1.2.1 = STRING: \\x0a\\x03\\x00\\x00\n"),
            std::string::npos);

  // A fresh process replays kxagent.cfg at start-up.
  Outcome second = Agent({"--exec", "config show", "--exec", "mib walk"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.err, "");
  size_t secondWalk = second.out.find("1.3.6.1.4.1.99999.");
  ASSERT_NE(secondWalk, std::string::npos);
  EXPECT_EQ(WithoutCipherTexts(second.out.substr(0, secondWalk)), WithoutCipherTexts(firstShow));
  // The temporary row was not saved; everything else is back as it was.
  std::string expectedWalk =
      std::regex_replace(firstWalk,
                         std::regex("1\\.3\\.6\\.1\\.4\\.1\\.99999\\.1\\.1\\.\\d+\\.3 "
                                    "= [^\n]*\n"),
                         "");
  EXPECT_NE(expectedWalk, firstWalk);
  EXPECT_EQ(second.out.substr(secondWalk), expectedWalk);

  // Replaying the saved file as a script into an agent that skipped it gives the same MIB.
  Outcome third = Agent({"--no-config", "kxagent.cfg", "--exec", "mib walk"});
  ASSERT_EQ(third.status, 0) << third.err;
  EXPECT_EQ(third.out, expectedWalk);
}

TEST_F(AgentE2eTest, UnsavedColumnsAndOwnersFollowTheSettings) {
  WriteFile(Path("agent.ini"),
            "[agent]\nConsoleOwner=admin\nConfigFile=saved/agent.cfg\nKeyFile=agent.key\n");
  ASSERT_EQ(mkdir(Path("saved").c_str(), 0755), 0);
  Outcome first = Agent({"--settings", "agent.ini"},
                        "system diagnostics=on contact=me\n"
                        "user name=carol createpersistent\n"
                        "config save\n");
  ASSERT_EQ(first.status, 0) << first.err;
  std::string saved = ReadFile(Path("saved/agent.cfg"));
  EXPECT_NE(saved.find("system contact=me\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("diagnostics"), std::string::npos) << saved;
  EXPECT_NE(saved.find("user create index=1 owner=admin\n"), std::string::npos) << saved;

  // "config clear" takes the owner's rows away; the next save has none of them.
  Outcome second = Agent({"--settings", "agent.ini", "--exec", "config clear adm", "--exec",
                          "config show", "--exec", "mib get 1.3.6.1.4.1.99999.1.1.1.1"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out.find("user"), std::string::npos) << second.out;
  EXPECT_NE(second.out.find("1.3.6.1.4.1.99999.1.1.1.1 = noSuchInstance\n"), std::string::npos)
      << second.out;
}

TEST_F(AgentE2eTest, LinesThatCannotRunMakeTheExitStatusNonZero) {
  Outcome good = Agent({}, "value\nhelp user\n# a comment\n\n");
  EXPECT_EQ(good.status, 0) << good.err;

  Outcome unknown = Agent({}, "value\nfrobnicate now\nvalue\n");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "Unknown command \"frobnicate\".\n");
  EXPECT_EQ(unknown.out, "\n\n");  // the lines after the failing one still ran

  Outcome exec = Agent({"--exec", "mib get 1.2.3", "--exec", "mib frob"});
  EXPECT_EQ(exec.status, 1);
  EXPECT_EQ(exec.out, "1.2.3 = noSuchObject\n");

  Outcome missingScript = Agent({"missing.txt"});
  EXPECT_EQ(missingScript.status, 1);
  EXPECT_NE(missingScript.err.find("missing.txt"), std::string::npos) << missingScript.err;

  WriteFile(Path("script.txt"), "value\nnosuch\n");
  Outcome badScript = Agent({"script.txt"});
  EXPECT_EQ(badScript.status, 1);
  EXPECT_EQ(badScript.err, "script.txt:2: Unknown command \"nosuch\".\n");

  // Values the configurator refuses are its own business: logged, but the lines ran.
  Outcome refused = Agent({"--exec", "user level=7 create", "--exec",
                           "user name=" + std::string(40, 'n') + " create", "--exec", "value"});
  EXPECT_EQ(refused.status, 0) << refused.err;
  EXPECT_EQ(refused.out, "0\n");
  EXPECT_NE(refused.err.find("outside allowable range (1 - 3)"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("wrongLength(8)"), std::string::npos) << refused.err;
}

TEST_F(AgentE2eTest, MibCommandsShowValuesAndSnmpErrors) {
  Outcome run = Agent(
      {"--exec", "mib set 1.3.6.1.4.1.99999.4.5.0 i 4", "--exec", "mib get 1.3.6.1.4.1.99999.4.5.0",
       "--exec", "mib next 1.3.6.1.4.1.99999.4.5.0", "--exec", "mib walk 1.3.6.1.4.1.99999.4.3",
       "--exec", "mib set 1.3.6.1.4.1.99999.4.7.0 u 1", "--exec",
       "mib set 1.3.6.1.4.1.99999.1.1.3.1 i 2"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "1.3.6.1.4.1.99999.4.5.0 = INTEGER: 4\n"
            "1.3.6.1.4.1.99999.4.5.0 = INTEGER: 4\n"
            "1.3.6.1.4.1.99999.4.6.0 = INTEGER: 0\n"
            "1.3.6.1.4.1.99999.4.3.0 = IpAddress: 0.0.0.0\n");
  EXPECT_EQ(run.err,
            "Cannot set 1.3.6.1.4.1.99999.4.7.0: notWritable(17).\n"
            "Cannot set 1.3.6.1.4.1.99999.1.1.3.1: inconsistentName(18).\n");

  Outcome bad =
      Agent({"--exec", "mib set 1.3.6.1.4.1.99999.4.5.0 q 1", "--exec", "mib get not.an.oid"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err,
            "Usage: mib set <oid> <i|u|t|s|x|d|o|a> <value>\n"
            "Invalid object identifier 'not.an.oid'.\n");
}

TEST_F(AgentE2eTest, BadDefinitionsAreRefusedWithOneLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"{\"tables\": [",
       "kxagent: defs.json:1:13: bad JSON: syntax error while parsing value - "
       "unexpected end of input; expected '[', '{', or a literal\n"},
      {R"({"tables": [{"command": "t", "kind": "scalars", "oid": "1.3.6.1.4.1.99999.8",
           "columns": [{"number": 1, "type": "float", "property": "p"}]}]})",
       "kxagent: defs.json: tables[0].columns[0].type: unknown type \"float\" (expected integer, "
       "unsigned, timeticks, octets, oid, ipaddress)\n"},
      {R"({"tables": [{"command": "t", "kind": "child", "parent": "nobody",
           "oid": "1.3.6.1.4.1.99999.8", "columns": [{"number": 1, "type": "oid",
           "property": "p"}]}]})",
       "kxagent: defs.json: tables[0].parent: no table has the command \"nobody\"\n"},
  };
  for (const Case& c : cases) {
    WriteFile(Path("defs.json"), c.text);
    Outcome run = Agent({"--definitions", "defs.json", "--exec", "help"});
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.message);
    EXPECT_EQ(run.out, "");  // nothing ran
  }
  Outcome missing = Agent({"--definitions", "nothere.json"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "kxagent: nothere.json: cannot read: No such file or directory\n");
}

TEST_F(AgentE2eTest, AFailedSaveKeepsThePreviousFile) {
  Outcome first = Agent({}, "host hostname=one\nconfig save\n");
  ASSERT_EQ(first.status, 0) << first.err;
  std::string previous = ReadFile(Path("kxagent.cfg"));
  ASSERT_NE(previous.find("host hostname=one"), std::string::npos);

  ASSERT_EQ(mkdir(Path("folder").c_str(), 0755), 0);
  Outcome failing =
      Agent({}, "host hostname=two\nconfig save nofolder/x.cfg\nconfig save folder\n");
  EXPECT_EQ(failing.status, 1);
  EXPECT_EQ(failing.err,
            "Cannot save nofolder/x.cfg: cannot create a temporary file in nofolder: No such file "
            "or directory\n"
            "Cannot save folder: cannot replace folder: it is a directory\n");
  EXPECT_EQ(ReadFile(Path("kxagent.cfg")), previous);

  // A ConfigFile whose folder does not exist: the plain save fails the same way.
  WriteFile(Path("agent.ini"), "[agent]\nConfigFile=gone/agent.cfg\n");
  Outcome settings = Agent({"--settings", "agent.ini", "--exec", "config save"});
  EXPECT_EQ(settings.status, 1);
  EXPECT_EQ(settings.err.rfind("Cannot save gone/agent.cfg: ", 0), 0u) << settings.err;
}

TEST_F(AgentE2eTest, CommandLineAndSettingsMistakes) {
  Outcome help = Agent({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: kxagent", 0), 0u);

  Outcome unknown = Agent({"--frob"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "kxagent: unknown option --frob\nTry 'kxagent --help'.\n");

  struct Case {
    const char* ini;
    const char* message;
  };
  const Case cases[] = {
      {"[agent]\nConsoleOwner=\n", "kxagent: agent.ini: [agent] ConsoleOwner must not be empty\n"},
      {"[agent]\nLogLevel=loud\n",
       "kxagent: agent.ini: [agent] LogLevel must be a number from 0 (errors) to 4 (debug), not "
       "'loud'\n"},
      {"[agent]\nConfigRemoveOnFail=maybe\n",
       "kxagent: agent.ini: [agent] ConfigRemoveOnFail must be 1/0, true/false, yes/no or on/off, "
       "not 'maybe'\n"},
  };
  for (const Case& c : cases) {
    WriteFile(Path("agent.ini"), c.ini);
    Outcome run = Agent({"--settings", "agent.ini", "--exec", "help"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.message);
  }

  WriteFile(Path("bad.key"), "short");
  WriteFile(Path("agent.ini"), "[agent]\nKeyFile=bad.key\n");
  Outcome badKey = Agent({"--settings", "agent.ini", "--exec", "help"});
  EXPECT_EQ(badKey.status, 1);
  EXPECT_EQ(badKey.err.rfind("kxagent: bad.key: ", 0), 0u) << badKey.err;
}

TEST_F(AgentE2eTest, RemoveOnFailSettingDecidesWhetherAHalfMadeRowStays) {
  // The name is too long for the column, so the setup of the new row fails after its creation.
  std::string longName(40, 'n');
  std::string line = "user name=" + longName + " createpersistent\n";
  WriteFile(Path("keep.ini"), "[agent]\nConfigRemoveOnFail=no\n");
  Outcome keep = Agent({"--settings", "keep.ini"}, line + "mib get 1.3.6.1.4.1.99999.1.1.5.1\n");
  EXPECT_EQ(keep.out, "1.3.6.1.4.1.99999.1.1.5.1 = INTEGER: 3\n") << keep.err;  // underCreation

  Outcome removed = Agent({}, line + "mib get 1.3.6.1.4.1.99999.1.1.5.1\n");
  EXPECT_EQ(removed.out, "1.3.6.1.4.1.99999.1.1.5.1 = noSuchInstance\n") << removed.err;
}

}  // namespace
