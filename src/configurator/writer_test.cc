// Writing live rows as console lines: the lines of each kind of table, the value text of each
// column format, which rows are left out, and how the writer copes with a MIB that fails.

#include <cstring>
#include <functional>

#include "configurator/testutil.h"

namespace korvax {
namespace {

// Makes the current MIB a fault-injecting wrapper of the fixture's MIB for one scope.
class ScopedFaultyMib {
 public:
  explicit ScopedFaultyMib(kxrt::MemoryMib& mib) : inner_(mib), faulty_(mib) {
    kxrt::SetCurrentMib(&faulty_);
  }
  ~ScopedFaultyMib() { kxrt::SetCurrentMib(&inner_); }
  kxrt::FaultyMib& operator*() { return faulty_; }
  kxrt::FaultyMib* operator->() { return &faulty_; }

 private:
  kxrt::MemoryMib& inner_;
  kxrt::FaultyMib faulty_;
};

// A MIB whose get-next fails (returns 0, the binding left where it was) whenever it continues
// from an instance under `stuckUnder`. After `limit` such failures it answers end-of-MIB, so that
// a walk which ignores the failure shows up as repeated rows instead of hanging the test.
class StuckGetNextMib : public kxrt::Mib {
 public:
  StuckGetNextMib(kxrt::Mib& inner, kxrt::Oid stuckUnder, int limit)
      : inner_(inner), stuckUnder_(std::move(stuckUnder)), limit_(limit) {}
  int Get(KX_VARBIND_T* vb) override { return inner_.Get(vb); }
  int Set(KX_VARBIND_T* vb, int* status) override { return inner_.Set(vb, status); }
  const KX_MIB_REG_T* GetReg(const uint32_t* ids, uint32_t count) override {
    return inner_.GetReg(ids, count);
  }
  int GetNext(KX_VARBIND_T* vb) override {
    const kxrt::Oid name(vb->name.ids, vb->name.ids + vb->name.count);
    const bool stuck = name.size() >= stuckUnder_.size() &&
                       std::equal(stuckUnder_.begin(), stuckUnder_.end(), name.begin());
    if (!stuck) return inner_.GetNext(vb);
    ++failures_;
    KXVarBindFreeValue(vb);
    if (failures_ > limit_) KXVarBindSetType(vb, KX_ASN_END_OF_MIB_VIEW);
    return failures_ > limit_ ? 1 : 0;
  }
  int failures() const { return failures_; }

 private:
  kxrt::Mib& inner_;
  kxrt::Oid stuckUnder_;
  int limit_;
  int failures_ = 0;
};

// A MIB whose get fails (returns 0) for instances under `prefix` and leaves the binding exactly
// as it was given, value included.
class UnreadableMib : public kxrt::Mib {
 public:
  UnreadableMib(kxrt::Mib& inner, kxrt::Oid prefix) : inner_(inner), prefix_(std::move(prefix)) {}
  int Get(KX_VARBIND_T* vb) override {
    const kxrt::Oid name(vb->name.ids, vb->name.ids + vb->name.count);
    const bool under =
        name.size() >= prefix_.size() && std::equal(prefix_.begin(), prefix_.end(), name.begin());
    return under ? 0 : inner_.Get(vb);
  }
  int GetNext(KX_VARBIND_T* vb) override { return inner_.GetNext(vb); }
  int Set(KX_VARBIND_T* vb, int* status) override { return inner_.Set(vb, status); }
  const KX_MIB_REG_T* GetReg(const uint32_t* ids, uint32_t count) override {
    return inner_.GetReg(ids, count);
  }

 private:
  kxrt::Mib& inner_;
  kxrt::Oid prefix_;
};

class WriterTest : public ConfiguratorTest {
 protected:
  std::string Tbl(const std::string& tail) { return Cat(oids::kTbl, tail); }

  // A small status configurator over tbl: alpha (enumerated) and, when asked, count.
  IConfigurator* MakeSmallTbl(const char* name, bool withCount = false) {
    IConfigurator* c =
        Keep(IConfigurator::Create(name, "small tbl", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
    c->AddIntCol(3, "alpha", "Alpha");
    c->AddEnum(3, 1, "on");
    c->AddEnum(3, 2, "off");
    if (withCount) c->AddIntCol(4, "count", "Count");
    c->Register();
    return c;
  }
  IConfigurator* MakeSmallSub(IConfigurator& parent) {
    IConfigurator* c = Keep(IConfigurator::Create("sub", "small sub", oids::kSub, parent));
    c->AddIntCol(1, "gamma", "Gamma");
    c->Register();
    return c;
  }

  // The one line that writes property `name`, without its line feed; empty when there is none.
  static std::string LineOf(const std::string& text, const std::string& prefix) {
    size_t at = text.find(prefix);
    if (at == std::string::npos) return "";
    return text.substr(at, text.find('\n', at) - at);
  }
};

// The example of a status row with an enumerated column and two child rows, taken from the
// full tbl and sub configurators with every other column excluded from writing.
TEST_F(WriterTest, StatusRowWithChildRowsIsWrittenLineByLine) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  tbl->AddChild(*sub, 7);
  for (int column : {2, 4, 8, 9, 10, 11, 12, 13, 14}) tbl->SetColWrite(column, false);
  sub->SetColWrite(2, false);
  ASSERT_TRUE(Run("sub gamma=10 store"));
  ASSERT_TRUE(Run("sub gamma=20 store"));
  ASSERT_TRUE(Run("tbl alpha=on owner=cfg index=3 create"));
  ASSERT_EQ(Result(), "3");
  ASSERT_EQ(ReadInt(Tbl("6.3")), 1);
  ASSERT_EQ(TakeLog(), "");

  EXPECT_EQ(Written(tbl),
            "tbl reset\n"
            "tbl alpha=on\n"
            "sub gamma=10\n"
            "sub store index=1\n"
            "sub gamma=20\n"
            "sub store index=2\n"
            "tbl create index=3 owner=cfg\n"
            "tbl reset\n"
            "\n");
}

TEST_F(WriterTest, EachKindOfTableWritesItsOwnLines) {
  struct Case {
    const char* what;
    std::function<IConfigurator*()> make;
    std::vector<std::string> lines;
    std::string expected;
  };
  auto make = [this](const char* name, const char* oid, IConfigurator::EStatusType type, int status,
                     int owner, int column, const char* property) {
    return [=] {
      IConfigurator* c = Keep(IConfigurator::Create(name, "d", oid, type, status, owner));
      c->AddStrCol(column, property, "p");
      c->Register();
      return c;
    };
  };
  const std::vector<Case> cases = {
      {"active RowStatus row",
       make("t", oids::kTbl, IConfigurator::eRowStatus, 6, 5, 2, "name"),
       {"t name=a owner=cfg create"},
       "t reset\nt name=a\nt create index=1 owner=cfg\nt reset\n\n"},
      {"RowStatus row not in service",
       make("t", oids::kTbl, IConfigurator::eRowStatus, 6, 5, 2, "name"),
       {"t name=a owner=cfg createAndWait"},
       "t reset\nt name=a\nt createAndWait index=1 owner=cfg\nt reset\n\n"},
      {"valid EntryStatus row",
       make("e", oids::kEnt, IConfigurator::eEntryStatus, 3, 2, 1, "descr"),
       {"e descr=d owner=o create"},
       "e reset\ne descr=d\ne create index=1 owner=o\ne reset\n\n"},
      {"EntryStatus row under creation",
       make("e", oids::kEnt, IConfigurator::eEntryStatus, 3, 2, 1, "descr"),
       {"e descr=d owner=o createAndWait"},
       "e reset\ne descr=d\ne createAndWait index=1 owner=o\ne reset\n\n"},
      {"string-status row, no owner column",
       make("s", oids::kStr, IConfigurator::eStringStatus, 2, 0, 1, "label"),
       {"s label=l create"},
       "s reset\ns label=l\ns create index=1 owner=\"\"\ns reset\n\n"},
      {"RowStatus table without owner column",
       make("p", oids::kPlain, IConfigurator::eRowStatus, 2, 0, 1, "note"),
       {"p note=n create", "p note=m createAndWait"},
       "p reset\np note=n\np create index=1 owner=\"\"\np reset\n"
       "p reset\np note=m\np createAndWait index=2 owner=\"\"\np reset\n\n"},
      {"scalar group",
       [this] { return MakeScalars(); },
       {"sys contact=bob level=3 mode=manual"},
       "sys contact=bob\nsys level=3\nsys mode=manual\n\n"},
      {"indexed table",
       [this] { return MakeIfTable(); },
       {"iface ifname=eth0 mtu=1500", "iface index=3 ifname=eth3"},
       "iface index=1\niface ifname=eth0\niface mtu=1500\n"
       "iface index=3\niface ifname=eth3\niface mtu=0\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    configurators_.clear();
    mib_.Clear();
    IConfigurator* configurator = c.make();
    for (const std::string& line : c.lines) ASSERT_TRUE(Run(line));
    EXPECT_EQ(TakeLog(), "");
    EXPECT_EQ(Written(configurator), c.expected);
  }
}

// The value text of every column format, as the console reads it back.
TEST_F(WriterTest, ColumnValuesAreWrittenInTheirFormats) {
  IConfigurator* tbl = MakeTbl();
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  struct Case {
    int column;
    char letter;
    std::string value;
    std::string line;
  };
  const std::vector<Case> cases = {
      {2, 's', "two words", "tbl name=\"two words\""},
      {2, 's', "q\"b\\s\nx", "tbl name=\"q\\\"b\\\\s\\nx\""},
      {2, 's', "a=b", "tbl name=\"a=b\""},
      {2, 's', "", "tbl name=\"\""},
      {3, 'i', "1", "tbl alpha=on"},
      {3, 'i', "2", "tbl alpha=off"},
      {3, 'i', "7", "tbl alpha=7"},
      {3, 'i', "-2", "tbl alpha=-2"},  // not "disabled", which reads back as 2
      {4, 'i', "55", "tbl count=55"},
      {9, 'a', "10.1.2.3", "tbl addr=10.1.2.3"},
      {10, 'o', "1.3.6.1.4", "tbl ident=1.3.6.1.4"},
      {11, 'x', "00:1b:ff", "tbl mac=00:1b:ff"},
      {12, 'd', "10.27.255", "tbl dotted=10.27.255"},
      {13, 'u', "4294967295", "tbl uns=4294967295"},
      {14, 't', "123456", "tbl ticks=123456"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(Set(Tbl(std::to_string(c.column) + ".1"), c.letter, c.value), 0);
    const std::string name = c.line.substr(0, c.line.find('='));
    EXPECT_EQ(LineOf(Written(tbl), name + "="), c.line);
  }

  // An enciphered column is written with "@=" and a cipher text of the value.
  ASSERT_EQ(Set(Tbl("8.1"), 's', "pass word"), 0);
  const std::string line = LineOf(Written(tbl), "tbl secret");
  ASSERT_EQ(line.rfind("tbl secret@=", 0), 0u) << line;
  const std::string cipher = line.substr(strlen("tbl secret@="));
  char clear[64];
  const int length = KXPasswordDecrypt(cipher.c_str(), -1, clear, sizeof(clear));
  ASSERT_GT(length, 0);
  EXPECT_EQ(std::string(clear, length), "pass word");
}

// An enumeration name is written only when it reads back as the same value: shared values take
// the name that sorts first, and neither a negative value nor a name that reads as a number is
// written as a name.
TEST_F(WriterTest, EnumerationNamesReadBackAsTheWrittenValue) {
  IConfigurator* e =
      Keep(IConfigurator::Create("en", "enums", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  e->AddIntCol(3, "alpha", "Alpha");
  e->AddEnum(3, 1, "on");
  e->AddEnum(3, 1, "enabled");
  e->AddEnum(3, -3, "minus");
  e->AddEnum(3, 7, "12");
  e->Register();
  ASSERT_TRUE(Run("en owner=cfg create"));
  struct Case {
    int value;
    std::string line;
  };
  for (const Case& c : std::vector<Case>{{1, "en alpha=enabled"},
                                         {3, "en alpha=3"},
                                         {-3, "en alpha=-3"},
                                         {7, "en alpha=7"},
                                         {12, "en alpha=12"}}) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(Set(Tbl("3.1"), 'i', std::to_string(c.value)), 0);
    const std::string written = LineOf(Written(e), "en alpha=");
    EXPECT_EQ(written, c.line);
    // Replayed into a second row, the line gives the same value.
    ASSERT_TRUE(Run("en reset"));
    ASSERT_TRUE(Run(written));
    ASSERT_TRUE(Run("en owner=cfg index=2 create"));
    EXPECT_EQ(ReadInt(Tbl("3.2")), c.value);
    ASSERT_TRUE(Run("en reset"));
    ASSERT_EQ(Set(Tbl("6.2"), 'i', "6"), 0);  // destroy row 2 for the next case
  }
  EXPECT_EQ(TakeLog(), "");
}

// Rows whose owner marks them temporary are left out together with their child rows; a table
// whose rows are all left out (or that has none) writes nothing, not even the empty line.
TEST_F(WriterTest, TemporaryRowsAndTheirChildrenAreLeftOut) {
  IConfigurator* tbl = MakeSmallTbl("tbl");
  IConfigurator* sub = MakeSmallSub(*tbl);
  tbl->AddChild(*sub, 0);
  EXPECT_EQ(Written(tbl), "");

  const std::vector<std::string> owners = {
      "x~", "!qvz!temporary-42", "!qvz!temporary", "a!qvz!temporary", "~x", "cfg"};
  for (size_t i = 0; i < owners.size(); ++i) {
    const std::string row = std::to_string(i + 1);
    ASSERT_TRUE(Run("sub gamma=" + row + "0 store"));
    ASSERT_TRUE(Run("tbl alpha=on index=" + row + " owner=\"" + owners[i] + "\" create"));
    ASSERT_EQ(Result(), row);
  }
  ASSERT_EQ(ReadText(Tbl("5.1")), "x~");
  EXPECT_EQ(Written(tbl),
            "tbl reset\ntbl alpha=on\nsub gamma=40\nsub store index=1\n"
            "tbl create index=4 owner=a!qvz!temporary\ntbl reset\n"
            "tbl reset\ntbl alpha=on\nsub gamma=50\nsub store index=1\n"
            "tbl create index=5 owner=~x\ntbl reset\n"
            "tbl reset\ntbl alpha=on\nsub gamma=60\nsub store index=1\n"
            "tbl create index=6 owner=cfg\ntbl reset\n"
            "\n");

  for (int row : {4, 5, 6}) ASSERT_EQ(Set(Tbl("5." + std::to_string(row)), 's', "y~"), 0);
  EXPECT_EQ(Written(tbl), "");
}

// Child rows are never followed by an empty line; the rows of a top-level table are followed by
// exactly one, however many rows and child rows there are.
TEST_F(WriterTest, OnlyTheTopLevelTableEndsWithAnEmptyLine) {
  IConfigurator* tbl = MakeSmallTbl("tbl");
  IConfigurator* sub = MakeSmallSub(*tbl);
  tbl->AddChild(*sub, 0);
  for (const char* line : {"sub gamma=1 store", "sub store", "tbl owner=a create",
                           "sub gamma=3 store", "tbl owner=b create", "tbl owner=c create"}) {
    ASSERT_TRUE(Run(line));
  }
  const std::string text = Written(tbl);
  EXPECT_EQ(text.find("\n\n"), text.size() - 2) << text;
  EXPECT_EQ(text.substr(text.size() - 11), "tbl reset\n\n");

  // The child alone, under parent row 1, writes its two rows and no empty line.
  unsigned parentRow[] = {1};
  sub->SetIndexPrefix(parentRow, 1);
  EXPECT_EQ(Written(sub), "sub gamma=1\nsub store index=1\nsub gamma=1\nsub store index=2\n");
}

// A status table whose every column is excluded writes only the row's frame and its children.
TEST_F(WriterTest, ColumnsExcludedFromWritingAreNeverWritten) {
  IConfigurator* tbl = MakeSmallTbl("tbl", true);
  IConfigurator* sub = MakeSmallSub(*tbl);
  tbl->AddChild(*sub, 0);
  tbl->SetColWrite(3, false);
  tbl->SetColWrite(4, false);
  ASSERT_TRUE(Run("sub gamma=5 store"));
  ASSERT_TRUE(Run("tbl alpha=on count=9 owner=cfg create"));
  EXPECT_EQ(Written(tbl),
            "tbl reset\nsub gamma=5\nsub store index=1\ntbl create index=1 owner=cfg\n"
            "tbl reset\n\n");
  tbl->SetColWrite(4, true);
  EXPECT_EQ(LineOf(Written(tbl), "tbl count"), "tbl count=9");
}

// A column whose instance cannot be read is left out, and nothing is reported; the next column
// is still written with its own value, not with the one read before the failure. The faulty
// MIB answers a failed read with an empty value; a host may also leave the binding as it was.
TEST_F(WriterTest, UnreadableColumnIsLeftOutAndDoesNotCarryAValue) {
  IConfigurator* t =
      Keep(IConfigurator::Create("t", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  t->AddStrCol(2, "name", "n");
  t->AddIntCol(4, "count", "c");
  t->AddUnsCol(13, "uns", "u");
  t->Register();
  ASSERT_TRUE(Run("t name=abc count=42 uns=7 owner=cfg create"));
  const std::string withoutCount =
      "t reset\nt name=abc\nt uns=7\nt create index=1 owner=cfg\nt reset\n\n";
  for (int getResult : {0, 1}) {
    SCOPED_TRACE(getResult);
    ScopedFaultyMib faulty(mib_);
    faulty->FailPrefix(kxrt::FaultyMib::Op::kGet, ParseOid(Tbl("4.1")), getResult);
    EXPECT_EQ(Written(t), withoutCount);
  }
  {
    UnreadableMib unreadable(mib_, ParseOid(Tbl("4.1")));
    kxrt::SetCurrentMib(&unreadable);
    EXPECT_EQ(Written(t), withoutCount);
    kxrt::SetCurrentMib(&mib_);
  }
  EXPECT_EQ(TakeLog(), "");
  // And the count column is written when it can be read.
  EXPECT_EQ(LineOf(Written(t), "t count"), "t count=42");
}

TEST_F(WriterTest, ConfiguratorWithoutPropertiesWritesNothing) {
  IConfigurator* bare =
      Keep(IConfigurator::Create("bare", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  bare->Register();
  MakeSmallTbl("tbl");
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  char* data = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&data, &size);
  EXPECT_TRUE(bare->WritePrimitiveState(f));
  fclose(f);
  EXPECT_EQ(size, 0u);
  free(data);
}

// Values longer than the usual 2048-byte text buffer are written whole and read back whole.
TEST_F(WriterTest, LongValuesAreWrittenWhole) {
  IConfigurator* sys = MakeScalars();
  IConfigurator* d =
      Keep(IConfigurator::Create("d", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  d->AddStrCol(12, "dotted", "n");
  d->SetStrFmt(12, IConfigurator::eFmtDecimal);
  d->Register();

  const std::string contact(3000, 'c');
  std::string dotted = "255";
  for (int i = 1; i < 700; ++i) dotted += ".255";
  ASSERT_GT(dotted.size(), 2048u);
  ASSERT_EQ(Set(Cat(oids::kScalars, "1.0"), 's', contact), 0);
  ASSERT_TRUE(Run("d owner=cfg create"));
  ASSERT_EQ(Set(Tbl("12.1"), 'd', dotted), 0);

  const std::string sysLine = LineOf(Written(sys), "sys contact=");
  EXPECT_EQ(sysLine, "sys contact=" + contact);
  const std::string dLine = LineOf(Written(d), "d dotted=");
  EXPECT_EQ(dLine, "d dotted=" + dotted);

  mib_.Clear();
  ASSERT_TRUE(Run(sysLine));
  EXPECT_EQ(ReadText(Cat(oids::kScalars, "1.0")), contact);
  ASSERT_TRUE(Run(dLine));
  ASSERT_TRUE(Run("d owner=cfg create"));
  EXPECT_EQ(ReadText(Tbl("12.1")), std::string(700, '\xff'));
  EXPECT_EQ(TakeLog(), "");
}

// A get-next that cannot be processed ends the row walk instead of revisiting the row forever.
TEST_F(WriterTest, FailingGetNextEndsTheRowWalk) {
  IConfigurator* tbl = MakeSmallTbl("tbl");
  ASSERT_TRUE(Run("tbl alpha=on owner=cfg create"));
  ASSERT_TRUE(Run("tbl alpha=off owner=cfg create"));
  // Row 1 is found; the get-next that would continue from it fails.
  StuckGetNextMib stuck(mib_, ParseOid(Tbl("3.1")), 5);
  kxrt::SetCurrentMib(&stuck);
  const std::string text = Written(tbl);
  kxrt::SetCurrentMib(&mib_);
  EXPECT_EQ(text, "tbl reset\ntbl alpha=on\ntbl create index=1 owner=cfg\ntbl reset\n\n");
  EXPECT_EQ(stuck.failures(), 1);
}

}  // namespace
}  // namespace korvax
