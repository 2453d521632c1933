// Saving and replaying a whole configuration: rows of every kind of table, child, grandchild and
// second-child rows, and every column format are written to a file, the MIB is emptied, and the
// file is executed through the console. The MIB must come back as it was (without the rows of
// temporary owners), and saving again must give the same file.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "configurator/testutil.h"

namespace korvax {
namespace {

// How the configurators forget what earlier lines recorded before the file is replayed.
enum class Restart { kResetLines, kFreshConfigurators };

void PrintTo(Restart restart, std::ostream* os) {
  *os << (restart == Restart::kResetLines ? "reset lines" : "fresh configurators");
}

class RoundTripTest : public ConfiguratorTest, public ::testing::WithParamInterface<Restart> {
 protected:
  RoundTripTest() {
    char name[] = "/tmp/korvax-roundtrip-XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    close(fd);
    path_ = name;
  }
  ~RoundTripTest() override { std::remove(path_.c_str()); }

  // Every configurator over the test tables; tbl has the children sub (with its own child gsub)
  // and sub2. Returns the top-level ones, the ones a save asks to write.
  std::vector<IConfigurator*> MakeAll() {
    IConfigurator* tbl = MakeTbl();
    IConfigurator* sub = MakeSub(*tbl);
    IConfigurator* gsub = MakeGsub(*sub);
    IConfigurator* sub2 = MakeSub2(*tbl);
    sub->AddChild(*gsub, 3);
    tbl->AddChild(*sub, 7);
    tbl->AddChild(*sub2, 7);
    IConfigurator* plain =
        Keep(IConfigurator::Create("plain", "d", oids::kPlain, IConfigurator::eRowStatus, 2, 0));
    plain->AddStrCol(1, "note", "Note");
    plain->Register();
    return {tbl, MakeEnt(), MakeStr(), MakeScalars(), MakeIfTable(), plain};
  }

  void Populate() {
    const std::vector<std::string> lines = {
        // Active, with every column format and three generations of rows under it.
        "tbl name=\"a \\\"quoted\\\" back\\\\slash\\nnext line\" alpha=off count=42",
        "tbl secret=\"pass word\" addr=10.1.2.3 ident=1.3.6.1.4.1.4242 mac=00:1b:ff",
        "tbl dotted=10.0.255 uns=4294967295 ticks=360000",
        "gsub delta=11 store",
        "gsub delta=12 store",
        "sub gamma=1 label=\"x y\" store",
        "gsub delta=21 store",
        "sub gamma=2 label=z store",
        "sub2 weight=7 store",
        "tbl owner=cfg index=1 create",
        // Not active, with a second-child row only.
        "tbl reset",
        "tbl name=second alpha=on",
        "sub2 weight=3 store",
        "tbl owner=\"ops team\" index=2 createAndWait",
        "tbl reset",
        "tbl name=third owner=tmp index=3 create",
        // Temporary rows, one with child rows: never saved.
        "tbl reset",
        "sub gamma=9 store",
        "tbl name=temp index=4 create",
        "tbl reset",
        "tbl owner=!qvz!temporary-1 index=5 create",
        "tbl reset",
        "tbl owner=\"a=b #c\" index=60 create",
        "ent descr=\"probe one\" owner=cfg create",
        "ent descr=two owner=cfg createAndWait",
        "str label=\"l \\\"1\\\"\" create",
        "str label=l2 create",
        "sys contact=\"Bob <bob@example.org>\" level=7 mode=manual",
        "iface ifname=eth0 mtu=1500",
        "iface index=4 ifname=\"eth 4\" mtu=9000",
        "plain note=n1 create",
        "plain note=\"n 2\" createAndWait",
    };
    for (const std::string& line : lines) ASSERT_TRUE(Run(line)) << line;
    ASSERT_EQ(TakeLog(), "");
    // Values no command line gives: a negative value with an input-only name, an empty owner,
    // a text holding a NUL (the DEL form).
    ASSERT_EQ(Set(Cat(oids::kTbl, "3.2"), 'i', "-2"), 0);
    ASSERT_EQ(Set(Cat(oids::kTbl, "5.3"), 's', ""), 0);
    ASSERT_EQ(Set(Cat(oids::kTbl, "2.60"), 's',
                  "\x7f"
                  "610062"),
              0);
    ASSERT_EQ(ReadText(Cat(oids::kTbl, "5.4")), "~");
    ASSERT_EQ(ReadInt(Cat(oids::kTbl, "6.2")), 2);  // notInService
  }

  // Every instance of the MIB in get-next order, with its type and value.
  static std::string MibWalk() {
    std::string text;
    KX_VARBIND_T vb;
    KXVarBindInit(&vb);
    while (KXMibGetNext(&vb) == 1 && vb.value.type != KX_ASN_END_OF_MIB_VIEW) {
      char value[4096];
      KXAsnValueSprint(&vb.value, value, sizeof(value));
      text += CConfiguratorTestPeer::OidText(vb.name) + " " + std::to_string(vb.value.type) + " " +
              value + "\n";
    }
    KXVarBindFree(&vb);
    return text;
  }

  std::string Save(const std::vector<IConfigurator*>& topLevel) {
    FILE* f = fopen(path_.c_str(), "w");
    EXPECT_NE(f, nullptr);
    for (IConfigurator* c : topLevel) EXPECT_TRUE(c->WritePrimitiveState(f));
    fclose(f);
    std::ifstream in(path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string path_;
};

TEST_P(RoundTripTest, ReplayedFileRebuildsTheMibAndSavesTheSameFile) {
  std::vector<IConfigurator*> topLevel = MakeAll();
  Populate();
  const std::string first = Save(topLevel);
  EXPECT_EQ(first.find("~"), std::string::npos) << first;
  EXPECT_EQ(first.find("qvz"), std::string::npos) << first;
  EXPECT_EQ(first.find("gamma=9"), std::string::npos) << first;

  // What the replay must give back: everything but the temporary rows (and their child rows).
  const std::string withTemporary = MibWalk();
  ASSERT_EQ(Set(Cat(oids::kTbl, "6.4"), 'i', "6"), 0);
  ASSERT_EQ(Set(Cat(oids::kTbl, "6.5"), 'i', "6"), 0);
  const std::string expected = MibWalk();
  ASSERT_NE(expected, withTemporary);

  mib_.Clear();
  ASSERT_NE(MibWalk(), expected);
  if (GetParam() == Restart::kFreshConfigurators) {
    configurators_.clear();
    topLevel = MakeAll();
  } else {
    for (const char* line : {"tbl reset", "sub reset", "sub2 reset", "gsub reset", "ent reset",
                             "str reset", "iface reset", "plain reset"}) {
      ASSERT_TRUE(Run(line));
    }
  }
  TakeLog();
  IConfigurator::ApplyConfig(path_.c_str());
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(MibWalk(), expected);

  const std::string second = Save(topLevel);
  EXPECT_EQ(second, first);
  const size_t secret = first.find("tbl secret@=");
  ASSERT_NE(secret, std::string::npos) << first;
  char clear[2048];
  const int n = KXPasswordDecrypt(first.c_str() + secret + 12,
                                  static_cast<int>(first.find('\n', secret) - secret - 12), clear,
                                  sizeof(clear));
  EXPECT_EQ(std::string(clear, n < 0 ? 0 : n), "pass word");
}

INSTANTIATE_TEST_SUITE_P(Restarts, RoundTripTest,
                         ::testing::Values(Restart::kResetLines, Restart::kFreshConfigurators),
                         [](const ::testing::TestParamInfo<Restart>& info) {
                           return info.param == Restart::kResetLines ? "ResetLines"
                                                                     : "FreshConfigurators";
                         });

}  // namespace
}  // namespace korvax
