#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kxrt/mib.h"
#include "mib_test_util.h"

namespace kxrt {
namespace {

using testing::Binding;
using testing::Read;
using testing::SetStatus;

const std::string kBase = "1.3.6.1.4.1.9999";
const std::string kScalars = kBase + ".1";        // scalar group
const std::string kRowTable = kBase + ".2.1";     // RowStatus (column 9), index 1..100
const std::string kEntryTable = kBase + ".3.1";   // EntryStatus (column 5)
const std::string kStringTable = kBase + ".4.1";  // string status (column 3)
const std::string kIndexed = kBase + ".5.1";      // createOnFirstSet, index 1..1000
const std::string kPlain = kBase + ".6.1";        // neither status nor createOnFirstSet
const std::string kChild = kBase + ".7.1";        // under kRowTable, createOnFirstSet
const std::string kGrandchild = kBase + ".8.1";   // under kChild, createOnFirstSet

Oid ParseOid(const std::string& text) {
  KX_OBJID_T oid;
  KXObjidInit(&oid);
  EXPECT_EQ(KXObjidSetStr(&oid, text.c_str()), 1) << text;
  Oid result(oid.ids, oid.ids + oid.count);
  KXObjidFree(&oid);
  return result;
}

ColumnDef Col(uint32_t column, int32_t type, int32_t lower, int32_t upper, int32_t access,
              const std::string& defaultText = "") {
  ColumnDef def;
  def.column = column;
  def.type = type;
  def.lower = lower;
  def.upper = upper;
  def.access = access;
  def.defaultText = defaultText;
  return def;
}

constexpr int32_t kInt = KX_ASN_INTEGER;
constexpr int32_t kStr = KX_ASN_OCTET_STRING;
constexpr int32_t kRO = KX_ACCESS_READ_ONLY;
constexpr int32_t kRW = KX_ACCESS_READ_WRITE;
constexpr int32_t kRC = KX_ACCESS_READ_CREATE;

class MemoryMibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScalarGroupDef scalars;
    scalars.group = ParseOid(kScalars);
    scalars.scalars = {Col(1, kInt, 0, 100, kRW, "5"),
                       Col(2, kStr, 0, 8, kRW, "hi"),
                       Col(3, kInt, 0, 0, kRO, "42"),
                       Col(4, KX_ASN_IPADDRESS, 0, 0, kRW),
                       Col(5, kStr, KX_ENCIPHERED_LOWER_BOUND, 16, kRW),
                       Col(6, KX_ASN_UNSIGNED, 10, 20, kRW, "10")};
    Add(scalars);

    TableDef rows = Table(kRowTable, {Col(2, kStr, 0, 32, kRC, "x"), Col(3, kInt, 1, 10, kRC, "7"),
                                      Col(4, kInt, 0, 0, kRO), Col(9, kInt, 0, 0, kRC)});
    rows.indexMax = 100;
    rows.statusColumn = 9;
    rows.statusStyle = StatusStyle::kRowStatus;
    Add(rows);

    TableDef entries = Table(kEntryTable, {Col(2, kStr, 0, 0, kRC), Col(5, kInt, 0, 0, kRC)});
    entries.statusColumn = 5;
    entries.statusStyle = StatusStyle::kEntryStatus;
    Add(entries);

    // The status column's length range excludes the empty text, which must still remove.
    TableDef strings =
        Table(kStringTable, {Col(2, kInt, 0, 0, kRC, "3"), Col(3, kStr, 1, 16, kRC)});
    strings.statusColumn = 3;
    strings.statusStyle = StatusStyle::kStringStatus;
    Add(strings);

    TableDef indexed = Table(kIndexed, {Col(1, kInt, 0, 0, kRO, "9"), Col(2, kStr, 0, 0, kRW)});
    indexed.indexMax = 1000;
    indexed.createOnFirstSet = true;
    Add(indexed);

    Add(Table(kPlain, {Col(1, kInt, 0, 0, kRW)}));

    TableDef child = Table(kChild, {Col(1, kInt, 0, 0, kRC, "11")});
    child.indexDepth = 2;
    child.createOnFirstSet = true;
    child.parentEntry = ParseOid(kRowTable);
    Add(child);

    TableDef grandchild = Table(kGrandchild, {Col(1, kInt, 0, 0, kRC)});
    grandchild.indexDepth = 3;
    grandchild.createOnFirstSet = true;
    grandchild.parentEntry = ParseOid(kChild);
    Add(grandchild);
  }

  static TableDef Table(const std::string& entry, std::vector<ColumnDef> columns) {
    TableDef def;
    def.entry = ParseOid(entry);
    def.columns = std::move(columns);
    return def;
  }
  void Add(const TableDef& def) {
    std::string error;
    ASSERT_TRUE(mib_.AddTable(def, &error)) << error;
  }
  void Add(const ScalarGroupDef& def) {
    std::string error;
    ASSERT_TRUE(mib_.AddScalarGroup(def, &error)) << error;
  }
  int Set(const std::string& name, char letter, const std::string& text) {
    return SetStatus(mib_, name, letter, text);
  }
  std::string Get(const std::string& name) { return Read(mib_, name); }

  MemoryMib mib_;
};

// ---- Row status machines ----

struct StatusCase {
  const char* label;
  std::string table;
  std::string column;
  std::string first;  // "letter:text" set before the request, or empty
  std::string request;
  int status;
  std::string after;  // what the status instance of row 5 reads afterwards
};

void SplitValue(const std::string& value, char* letter, std::string* text) {
  *letter = value[0];
  *text = value.substr(2);
}

TEST_F(MemoryMibTest, StatusMachinesAnswerEveryRequestAsAnAgentWould) {
  const std::vector<StatusCase> cases = {
      {"RS createAndWait absent", kRowTable, "9", "", "i:5", 0, "2"},
      {"RS createAndGo absent", kRowTable, "9", "", "i:4", 0, "1"},
      {"RS createAndWait existing", kRowTable, "9", "i:4", "i:5", 12, "1"},
      {"RS createAndGo existing", kRowTable, "9", "i:5", "i:4", 12, "2"},
      {"RS activate", kRowTable, "9", "i:5", "i:1", 0, "1"},
      {"RS deactivate", kRowTable, "9", "i:4", "i:2", 0, "2"},
      {"RS active absent", kRowTable, "9", "", "i:1", 12, "absent"},
      {"RS notInService absent", kRowTable, "9", "", "i:2", 12, "absent"},
      {"RS destroy", kRowTable, "9", "i:4", "i:6", 0, "absent"},
      {"RS destroy absent", kRowTable, "9", "", "i:6", 0, "absent"},
      {"RS notReady", kRowTable, "9", "i:4", "i:3", 10, "1"},
      {"RS zero", kRowTable, "9", "", "i:0", 10, "absent"},
      {"RS seven", kRowTable, "9", "", "i:7", 10, "absent"},
      {"RS text", kRowTable, "9", "", "s:5", 7, "absent"},
      {"ES createRequest absent", kEntryTable, "5", "", "i:2", 0, "3"},
      {"ES createRequest existing", kEntryTable, "5", "i:2", "i:2", 12, "3"},
      {"ES valid", kEntryTable, "5", "i:2", "i:1", 0, "1"},
      {"ES valid absent", kEntryTable, "5", "", "i:1", 12, "absent"},
      {"ES invalid", kEntryTable, "5", "i:2", "i:4", 0, "absent"},
      {"ES invalid absent", kEntryTable, "5", "", "i:4", 0, "absent"},
      {"ES underCreation", kEntryTable, "5", "i:2", "i:3", 10, "3"},
      {"ES five", kEntryTable, "5", "", "i:5", 10, "absent"},
      {"SS New absent", kStringTable, "3", "", "s:New", 0, "New"},
      {"SS New existing", kStringTable, "3", "s:New", "s:New", 12, "New"},
      {"SS empty removes", kStringTable, "3", "s:New", "s:", 0, "absent"},
      {"SS empty absent", kStringTable, "3", "", "s:", 0, "absent"},
      {"SS other text stored", kStringTable, "3", "s:New", "s:ready", 0, "ready"},
      {"SS other text absent", kStringTable, "3", "", "s:ready", 12, "absent"},
      {"SS new is case-sensitive", kStringTable, "3", "", "s:new", 12, "absent"},
      {"SS too long", kStringTable, "3", "s:New", "s:12345678901234567", 8, "New"},
      {"SS integer", kStringTable, "3", "", "i:1", 7, "absent"},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.label);
    mib_.Clear();
    std::string instance = c.table + "." + c.column + ".5";
    char letter;
    std::string text;
    if (!c.first.empty()) {
      SplitValue(c.first, &letter, &text);
      ASSERT_EQ(Set(instance, letter, text), 0);
    }
    SplitValue(c.request, &letter, &text);
    EXPECT_EQ(Set(instance, letter, text), c.status);
    EXPECT_EQ(Get(instance), c.after);
  }
}

TEST_F(MemoryMibTest, StatusRequestOutsideTheIndexRangeIsNoCreation) {
  EXPECT_EQ(Set(kRowTable + ".9.0", 'i', "5"), KX_SNMP_NO_CREATION);
  EXPECT_EQ(Set(kRowTable + ".9.101", 'i', "5"), KX_SNMP_NO_CREATION);
  EXPECT_EQ(Set(kRowTable + ".9.5.1", 'i', "5"), KX_SNMP_NO_CREATION);
  EXPECT_EQ(Set(kRowTable + ".9", 'i', "5"), KX_SNMP_NO_CREATION);
  // The value is judged before the instance, as an agent does.
  EXPECT_EQ(Set(kRowTable + ".9.0", 'i', "3"), KX_SNMP_WRONG_VALUE);
}

TEST_F(MemoryMibTest, OtherColumnsOfAbsentStatusRowsAreInconsistentName) {
  for (const std::string& instance :
       {kRowTable + ".2.5", kEntryTable + ".2.5", kStringTable + ".2.5"}) {
    SCOPED_TRACE(instance);
    char letter = instance == kStringTable + ".2.5" ? 'i' : 's';
    EXPECT_EQ(Set(instance, letter, "7"), KX_SNMP_INCONSISTENT_NAME);
    EXPECT_EQ(Get(instance), "absent");
  }
  EXPECT_EQ(Set(kRowTable + ".2.500", 's', "v"), KX_SNMP_NO_CREATION);
  EXPECT_EQ(Set(kRowTable + ".4.5", 'i', "1"), KX_SNMP_NOT_WRITABLE);
}

TEST_F(MemoryMibTest, NewRowsHoldEveryColumnsDefaultAndTakeValues) {
  ASSERT_EQ(Set(kRowTable + ".9.7", 'i', "5"), 0);
  EXPECT_EQ(Get(kRowTable + ".2.7"), "x");
  EXPECT_EQ(Get(kRowTable + ".3.7"), "7");
  EXPECT_EQ(Get(kRowTable + ".4.7"), "0");
  EXPECT_EQ(Set(kRowTable + ".2.7", 's', "hello"), 0);
  EXPECT_EQ(Set(kRowTable + ".3.7", 'i', "11"), KX_SNMP_WRONG_VALUE);
  EXPECT_EQ(Set(kRowTable + ".3.7", 'i', "10"), 0);
  EXPECT_EQ(Get(kRowTable + ".2.7"), "hello");
  EXPECT_EQ(Get(kRowTable + ".3.7"), "10");
  // Values survive activation; a destroyed and recreated row starts from defaults again.
  ASSERT_EQ(Set(kRowTable + ".9.7", 'i', "1"), 0);
  EXPECT_EQ(Get(kRowTable + ".2.7"), "hello");
  ASSERT_EQ(Set(kRowTable + ".9.7", 'i', "6"), 0);
  ASSERT_EQ(Set(kRowTable + ".9.7", 'i', "4"), 0);
  EXPECT_EQ(Get(kRowTable + ".2.7"), "x");
}

// ---- Values against registrations ----

TEST_F(MemoryMibTest, SetRefusesValuesTheRegistrationDoesNotAllow) {
  struct Case {
    std::string name;
    char letter;
    std::string text;
    int status;
  } cases[] = {
      {kScalars + ".1.0", 'i', "100", 0},
      {kScalars + ".1.0", 'i', "101", KX_SNMP_WRONG_VALUE},
      {kScalars + ".1.0", 'i', "-1", KX_SNMP_WRONG_VALUE},
      {kScalars + ".1.0", 's', "1", KX_SNMP_WRONG_TYPE},
      {kScalars + ".1.0", 'u', "1", KX_SNMP_WRONG_TYPE},
      {kScalars + ".2.0", 's', "12345678", 0},
      {kScalars + ".2.0", 's', "123456789", KX_SNMP_WRONG_LENGTH},
      {kScalars + ".3.0", 'i', "1", KX_SNMP_NOT_WRITABLE},
      {kScalars + ".3.1", 'i', "1", KX_SNMP_NOT_WRITABLE},
      {kScalars + ".4.0", 'a', "10.0.0.1", 0},
      {kScalars + ".4.0", 'x', "0a000001", KX_SNMP_WRONG_TYPE},
      {kScalars + ".5.0", 's', "sixteen-octets!!", 0},
      {kScalars + ".5.0", 's', "seventeen-octets!", KX_SNMP_WRONG_LENGTH},
      {kScalars + ".5.0", 's', "", 0},
      {kScalars + ".6.0", 'u', "20", 0},
      {kScalars + ".6.0", 'u', "21", KX_SNMP_WRONG_VALUE},
      {kScalars + ".6.0", 'u', "4294967295", KX_SNMP_WRONG_VALUE},
      {kScalars + ".1.1", 'i', "1", KX_SNMP_NO_CREATION},
      {kScalars + ".1", 'i', "1", KX_SNMP_NO_CREATION},
      {kScalars + ".7.0", 'i', "1", KX_SNMP_NO_CREATION},
      {kBase + ".99.1.0", 'i', "1", KX_SNMP_NO_CREATION},
      {kPlain + ".1.1", 'i', "1", KX_SNMP_NO_CREATION},
      {kIndexed + ".1.1", 'i', "1", KX_SNMP_NOT_WRITABLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " := " + c.text);
    EXPECT_EQ(Set(c.name, c.letter, c.text), c.status);
  }
  EXPECT_EQ(Get(kScalars + ".1.0"), "100");
  EXPECT_EQ(Get(kScalars + ".2.0"), "12345678");
  EXPECT_EQ(Get(kScalars + ".4.0"), std::string("\x0a\x00\x00\x01", 4));
}

TEST_F(MemoryMibTest, IpAddressMustHoldFourOctets) {
  Binding vb(kScalars + ".4.0");
  KXVarBindSetType(vb.get(), KX_ASN_IPADDRESS);
  ASSERT_EQ(KXOctetStringSetN(&vb.get()->value.octets, "\x01\x02\x03", 3), 1);
  int status = 0;
  EXPECT_EQ(mib_.Set(vb.get(), &status), 1);
  EXPECT_EQ(status, KX_SNMP_WRONG_LENGTH);
  EXPECT_EQ(Get(kScalars + ".4.0"), std::string(4, '\0'));
}

TEST_F(MemoryMibTest, UnprocessableRequestsReturnZero) {
  int status = 0;
  EXPECT_EQ(mib_.Set(nullptr, &status), 0);
  Binding vb(kScalars + ".1.0", 'i', "1");
  EXPECT_EQ(mib_.Set(vb.get(), nullptr), 0);
  // An octet string that claims bytes it does not have.
  Binding broken(kScalars + ".2.0");
  KXVarBindSetType(broken.get(), KX_ASN_OCTET_STRING);
  broken.get()->value.octets.length = 3;
  EXPECT_EQ(mib_.Set(broken.get(), &status), 0);
  broken.get()->value.octets.length = 0;
  EXPECT_EQ(Get(kScalars + ".2.0"), "hi");
  EXPECT_EQ(mib_.Get(nullptr), 0);
  EXPECT_EQ(mib_.GetNext(nullptr), 0);
}

// ---- Get ----

TEST_F(MemoryMibTest, GetTellsAbsentRowsFromNamesOutsideTheMib) {
  ASSERT_EQ(Set(kRowTable + ".9.1", 'i', "4"), 0);
  struct Case {
    std::string name;
    std::string read;
  } cases[] = {
      {kRowTable + ".9.1", "1"},      {kRowTable + ".2.1", "x"},
      {kRowTable + ".2.2", "absent"}, {kRowTable + ".2.100", "absent"},
      {kRowTable + ".2.101", "fail"}, {kRowTable + ".2.0", "fail"},
      {kRowTable + ".2.1.1", "fail"}, {kRowTable + ".2", "fail"},
      {kRowTable + ".5.1", "fail"},   {kRowTable, "fail"},
      {kChild + ".1.1.1", "absent"},  {kChild + ".1.1", "fail"},
      {kScalars + ".1.0", "5"},       {kScalars + ".3.0", "42"},
      {kScalars + ".1", "fail"},      {kScalars + ".1.1", "fail"},
      {kBase + ".99.1.0", "fail"},    {"1.3", "fail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Get(c.name), c.read);
  }
  // A failed get clears whatever value the binding held.
  Binding vb(kBase + ".99", 's', "stale");
  EXPECT_EQ(mib_.Get(vb.get()), 0);
  EXPECT_EQ(vb.type(), KX_ASN_NULL);
}

TEST_F(MemoryMibTest, GetRegFindsTheObjectWithOrWithoutInstance) {
  const KX_MIB_REG_T* status = nullptr;
  for (const std::string& name :
       {kRowTable + ".9", kRowTable + ".9.0", kRowTable + ".9.5.7", kRowTable + ".9.4294967295"}) {
    SCOPED_TRACE(name);
    Oid oid = ParseOid(name);
    const KX_MIB_REG_T* reg = mib_.GetReg(oid.data(), static_cast<uint32_t>(oid.size()));
    ASSERT_NE(reg, nullptr);
    if (status == nullptr) status = reg;
    EXPECT_EQ(reg, status);
  }
  EXPECT_EQ(status->type, KX_ASN_INTEGER);
  EXPECT_EQ(status->access, KX_ACCESS_READ_CREATE);

  Oid secret = ParseOid(kScalars + ".5.0");
  const KX_MIB_REG_T* reg = mib_.GetReg(secret.data(), static_cast<uint32_t>(secret.size()));
  ASSERT_NE(reg, nullptr);
  EXPECT_EQ(reg->type, KX_ASN_OCTET_STRING);
  EXPECT_EQ(reg->lower, KX_ENCIPHERED_LOWER_BOUND);
  EXPECT_EQ(reg->upper, 16);

  for (const std::string& name : {kRowTable, kRowTable + ".1.0", kScalars, kBase, kBase + ".2"}) {
    Oid oid = ParseOid(name);
    EXPECT_EQ(mib_.GetReg(oid.data(), static_cast<uint32_t>(oid.size())), nullptr) << name;
  }
  EXPECT_EQ(mib_.GetReg(nullptr, 0), nullptr);

  // The record stays where it was while rows come and go and other objects register.
  for (int i = 1; i <= 50; ++i) ASSERT_EQ(Set(kRowTable + ".9." + std::to_string(i), 'i', "4"), 0);
  mib_.Clear();
  TableDef more;
  more.entry = ParseOid(kBase + ".20.1");
  more.columns = {Col(1, kInt, 0, 0, kRW)};
  Add(more);
  Oid again = ParseOid(kRowTable + ".9.1");
  EXPECT_EQ(mib_.GetReg(again.data(), static_cast<uint32_t>(again.size())), status);
}

// ---- GetNext ----

std::vector<std::string> Walk(Mib& mib, const std::string& from, Binding* last) {
  std::vector<std::string> names;
  last->SetName(from);
  for (int guard = 0; guard < 100; ++guard) {
    EXPECT_EQ(mib.GetNext(last->get()), 1);
    if (last->type() == KX_ASN_END_OF_MIB_VIEW) break;
    names.push_back(last->name());
  }
  return names;
}

TEST_F(MemoryMibTest, GetNextWalksColumnsThenRowsInIdentifierOrder) {
  ASSERT_EQ(Set(kRowTable + ".9.3", 'i', "4"), 0);
  ASSERT_EQ(Set(kRowTable + ".9.1", 'i', "5"), 0);
  ASSERT_EQ(Set(kIndexed + ".2.20", 's', "a"), 0);
  ASSERT_EQ(Set(kIndexed + ".2.3", 's', "b"), 0);
  Binding last;
  std::vector<std::string> expected = {kScalars + ".1.0",  kScalars + ".2.0",  kScalars + ".3.0",
                                       kScalars + ".4.0",  kScalars + ".5.0",  kScalars + ".6.0",
                                       kRowTable + ".2.1", kRowTable + ".2.3", kRowTable + ".3.1",
                                       kRowTable + ".3.3", kRowTable + ".4.1", kRowTable + ".4.3",
                                       kRowTable + ".9.1", kRowTable + ".9.3", kIndexed + ".1.3",
                                       kIndexed + ".1.20", kIndexed + ".2.3",  kIndexed + ".2.20"};
  EXPECT_EQ(Walk(mib_, "1.3", &last), expected);
  // Past the end the name stays and the tag says so.
  EXPECT_EQ(last.name(), kIndexed + ".2.20");

  struct Case {
    std::string from;
    std::string next;
    std::string value;
  } cases[] = {
      {kScalars, kScalars + ".1.0", "5"},
      {kScalars + ".3", kScalars + ".3.0", "42"},
      {kScalars + ".3.0.0", kScalars + ".4.0", std::string(4, '\0')},
      {kScalars + ".0.7", kScalars + ".1.0", "5"},
      {kRowTable, kRowTable + ".2.1", "x"},
      {kRowTable + ".2.2", kRowTable + ".2.3", "x"},
      {kRowTable + ".2.1.9", kRowTable + ".2.3", "x"},
      {kRowTable + ".2.3", kRowTable + ".3.1", "7"},
      {kRowTable + ".5", kRowTable + ".9.1", "2"},
      {kRowTable + ".9.0", kRowTable + ".9.1", "2"},
      {kRowTable + ".9.3", kIndexed + ".1.3", "9"},
      {kBase + ".2.2", kIndexed + ".1.3", "9"},
      {kIndexed + ".2.4294967295", "", ""},
      {"2", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    Binding vb(c.from);
    ASSERT_EQ(mib_.GetNext(vb.get()), 1);
    if (c.next.empty()) {
      EXPECT_EQ(vb.type(), KX_ASN_END_OF_MIB_VIEW);
      EXPECT_EQ(vb.name(), c.from);
    } else {
      EXPECT_EQ(vb.name(), c.next);
      EXPECT_EQ(vb.value(), c.value);
    }
  }
}

TEST_F(MemoryMibTest, GetNextOnAnEmptyMibIsTheEndOfTheView) {
  MemoryMib empty;
  Binding vb("1.3.6");
  EXPECT_EQ(empty.GetNext(vb.get()), 1);
  EXPECT_EQ(vb.type(), KX_ASN_END_OF_MIB_VIEW);
  EXPECT_EQ(vb.name(), "1.3.6");
  // An empty name walks from the start.
  Binding none;
  EXPECT_EQ(mib_.GetNext(none.get()), 1);
  EXPECT_EQ(none.name(), kScalars + ".1.0");
}

// ---- createOnFirstSet and child tables ----

TEST_F(MemoryMibTest, CreateOnFirstSetMakesTheRowWithDefaults) {
  EXPECT_EQ(Get(kIndexed + ".2.8"), "absent");
  EXPECT_EQ(Set(kIndexed + ".2.8", 's', "first"), 0);
  EXPECT_EQ(Get(kIndexed + ".2.8"), "first");
  EXPECT_EQ(Get(kIndexed + ".1.8"), "9");
  EXPECT_EQ(Set(kIndexed + ".2.1001", 's', "x"), KX_SNMP_NO_CREATION);
  EXPECT_EQ(Set(kIndexed + ".2.0", 's', "x"), KX_SNMP_NO_CREATION);
  EXPECT_EQ(Set(kIndexed + ".1.9", 'i', "1"), KX_SNMP_NOT_WRITABLE);
  EXPECT_EQ(Get(kIndexed + ".1.9"), "absent");
}

TEST_F(MemoryMibTest, ChildRowsNeedTheirParentAndGoWithIt) {
  EXPECT_EQ(Set(kChild + ".1.3.1", 'i', "1"), KX_SNMP_NO_CREATION);
  ASSERT_EQ(Set(kRowTable + ".9.3", 'i', "5"), 0);
  ASSERT_EQ(Set(kRowTable + ".9.30", 'i', "5"), 0);
  EXPECT_EQ(Set(kChild + ".1.3.1", 'i', "1"), 0);
  EXPECT_EQ(Set(kChild + ".1.3.2", 'i', "2"), 0);
  EXPECT_EQ(Set(kChild + ".1.30.1", 'i', "30"), 0);
  EXPECT_EQ(Set(kGrandchild + ".1.3.2.1", 'i', "5"), 0);
  EXPECT_EQ(Set(kGrandchild + ".1.3.3.1", 'i', "5"), KX_SNMP_NO_CREATION);
  EXPECT_EQ(Set(kGrandchild + ".1.30.1.4", 'i', "6"), 0);
  EXPECT_EQ(Get(kChild + ".1.3.1"), "1");
  EXPECT_EQ(Get(kGrandchild + ".1.3.2.1"), "5");

  ASSERT_EQ(Set(kRowTable + ".9.3", 'i', "6"), 0);
  EXPECT_EQ(Get(kChild + ".1.3.1"), "absent");
  EXPECT_EQ(Get(kChild + ".1.3.2"), "absent");
  EXPECT_EQ(Get(kGrandchild + ".1.3.2.1"), "absent");
  // Row 30 is not under row 3, although its number begins with it.
  EXPECT_EQ(Get(kChild + ".1.30.1"), "30");
  EXPECT_EQ(Get(kGrandchild + ".1.30.1.4"), "6");
  // A child row created anew starts from its defaults, not from the removed row.
  ASSERT_EQ(Set(kRowTable + ".9.3", 'i', "4"), 0);
  Binding vb(kChild + ".1.3.0");
  ASSERT_EQ(mib_.GetNext(vb.get()), 1);
  EXPECT_EQ(vb.name(), kChild + ".1.30.1");
}

TEST_F(MemoryMibTest, ChildTablesOfEveryStatusStyleCascade) {
  struct Case {
    StatusStyle style;
    int32_t type;
    char letter;
    std::string create;
    std::string remove;
  } cases[] = {
      {StatusStyle::kEntryStatus, kInt, 'i', "2", "4"},
      {StatusStyle::kStringStatus, kStr, 's', "New", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string parent = kBase + ".3" + std::to_string(n) + ".1";
    std::string child = kBase + ".4" + std::to_string(n++) + ".1";
    TableDef p = Table(parent, {Col(1, c.type, 0, 0, kRC)});
    p.statusColumn = 1;
    p.statusStyle = c.style;
    Add(p);
    TableDef k = Table(child, {Col(1, kInt, 0, 0, kRC)});
    k.indexDepth = 2;
    k.createOnFirstSet = true;
    k.parentEntry = p.entry;
    Add(k);
    ASSERT_EQ(Set(parent + ".1.2", c.letter, c.create), 0);
    ASSERT_EQ(Set(child + ".1.2.9", 'i', "1"), 0);
    ASSERT_EQ(Set(parent + ".1.2", c.letter, c.remove), 0);
    EXPECT_EQ(Get(child + ".1.2.9"), "absent");
  }
}

// ---- The set hook ----

TEST_F(MemoryMibTest, SetHookRunsAfterTheValueIsStoredAndMayReenter) {
  std::vector<std::string> seen;
  mib_.SetSetHook([&](const KX_VARBIND_T& vb) {
    Binding copy;
    ASSERT_EQ(KXVarBindCopy(copy.get(), &vb), 1);
    seen.push_back(copy.name());
    // The value is in place when the hook runs.
    EXPECT_NE(Read(mib_, copy.name()), "absent");
    if (copy.name() == kRowTable + ".9.1") {
      // Nested requests: create a second row and walk past the first.
      EXPECT_EQ(SetStatus(mib_, kRowTable + ".9.1001", 'i', "5"), KX_SNMP_NO_CREATION);
      EXPECT_EQ(SetStatus(mib_, kRowTable + ".9.2", 'i', "5"), 0);
      Binding next(kRowTable + ".9.1");
      EXPECT_EQ(mib_.GetNext(next.get()), 1);
      EXPECT_EQ(next.name(), kRowTable + ".9.2");
    }
  });
  ASSERT_EQ(Set(kRowTable + ".9.1", 'i', "5"), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{kRowTable + ".9.1", kRowTable + ".9.2"}));
  EXPECT_EQ(Get(kRowTable + ".9.2"), "2");

  // Refused sets do not reach the hook.
  seen.clear();
  EXPECT_EQ(Set(kRowTable + ".9.1", 'i', "5"), KX_SNMP_INCONSISTENT_VALUE);
  EXPECT_TRUE(seen.empty());

  // A hook that removes the row it was told about, and one that replaces itself.
  // (A nested set runs the hook too, so this one unhooks itself first.)
  mib_.SetSetHook([&](const KX_VARBIND_T&) {
    mib_.SetSetHook(nullptr);
    EXPECT_EQ(SetStatus(mib_, kRowTable + ".9.2", 'i', "6"), 0);
  });
  ASSERT_EQ(Set(kRowTable + ".2.2", 's', "gone"), 0);
  EXPECT_EQ(Get(kRowTable + ".2.2"), "absent");
  ASSERT_EQ(Set(kRowTable + ".9.2", 'i', "5"), 0);
  EXPECT_EQ(Get(kRowTable + ".9.2"), "2");
}

TEST_F(MemoryMibTest, ClearRemovesRowsAndResetsScalarsButKeepsRegistrations) {
  ASSERT_EQ(Set(kRowTable + ".9.1", 'i', "4"), 0);
  ASSERT_EQ(Set(kChild + ".1.1.1", 'i', "4"), 0);
  ASSERT_EQ(Set(kScalars + ".1.0", 'i', "77"), 0);
  mib_.Clear();
  EXPECT_EQ(Get(kRowTable + ".9.1"), "absent");
  EXPECT_EQ(Get(kChild + ".1.1.1"), "absent");
  EXPECT_EQ(Get(kScalars + ".1.0"), "5");
  EXPECT_EQ(Set(kRowTable + ".9.1", 'i', "4"), 0);
}

// ---- Registration errors ----

TEST_F(MemoryMibTest, BadRegistrationsAreRefusedWithOneLine) {
  auto base = [] {
    TableDef def = Table(kBase + ".50.1", {Col(1, kInt, 0, 0, kRC), Col(2, kStr, 0, 0, kRC)});
    def.statusColumn = 1;
    def.statusStyle = StatusStyle::kRowStatus;
    return def;
  };
  struct Case {
    const char* label;
    void (*change)(TableDef*);
    const char* reason;
  } cases[] = {
      {"duplicate", [](TableDef* d) { d->entry = ParseOid(kRowTable); }, "already registered"},
      {"inside another", [](TableDef* d) { d->entry = ParseOid(kRowTable + ".3"); }, "overlaps"},
      {"around another", [](TableDef* d) { d->entry = ParseOid(kBase + ".2"); }, "overlaps"},
      {"inside scalars", [](TableDef* d) { d->entry = ParseOid(kScalars + ".9"); }, "overlaps"},
      {"empty entry", [](TableDef* d) { d->entry.clear(); }, "empty"},
      {"duplicate column", [](TableDef* d) { d->columns[1].column = 1; }, "duplicate column 1"},
      {"no columns", [](TableDef* d) { d->columns.clear(); }, "no columns"},
      {"status missing", [](TableDef* d) { d->statusColumn = 3; }, "not among the columns"},
      {"status type", [](TableDef* d) { d->statusColumn = 2; }, "wrong type"},
      {"string status type", [](TableDef* d) { d->statusStyle = StatusStyle::kStringStatus; },
       "wrong type"},
      {"status read-only", [](TableDef* d) { d->columns[0].access = kRO; }, "read-only"},
      {"status without style", [](TableDef* d) { d->statusStyle = StatusStyle::kNone; },
       "without a status style"},
      {"bad int default", [](TableDef* d) { d->columns[0].defaultText = "ten"; }, "does not scan"},
      {"bad ip default",
       [](TableDef* d) {
         d->columns[1].type = KX_ASN_IPADDRESS;
         d->columns[1].defaultText = "1.2.3";
       },
       "does not scan"},
      {"depth 0", [](TableDef* d) { d->indexDepth = 0; }, "index depth 0"},
      {"empty range", [](TableDef* d) { d->indexMin = 5, d->indexMax = 4; }, "range"},
      {"unsupported type", [](TableDef* d) { d->columns[1].type = KX_ASN_NULL; }, "unsupported"},
      {"unknown parent", [](TableDef* d) { d->parentEntry = ParseOid(kBase + ".77.1"); },
       "unknown"},
      {"scalar parent", [](TableDef* d) { d->parentEntry = ParseOid(kScalars); }, "unknown"},
      {"parent depth",
       [](TableDef* d) {
         d->parentEntry = ParseOid(kRowTable);
         d->indexDepth = 3;
       },
       "not parent's 1 + 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TableDef def = base();
    c.change(&def);
    std::string error;
    EXPECT_FALSE(mib_.AddTable(def, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(error.rfind("table ", 0), 0u) << error;
  }
  // None of the refused tables left a trace; the valid one still registers.
  std::string error;
  EXPECT_TRUE(mib_.AddTable(base(), &error)) << error;
  EXPECT_FALSE(mib_.AddTable(base(), nullptr));

  ScalarGroupDef group;
  group.group = ParseOid(kBase + ".60");
  group.scalars = {Col(1, kInt, 0, 0, kRW), Col(1, kStr, 0, 0, kRW)};
  EXPECT_FALSE(mib_.AddScalarGroup(group, &error));
  EXPECT_EQ(error, "scalar group " + kBase + ".60: duplicate column 1");
  group.group = ParseOid(kRowTable + ".2");
  group.scalars.pop_back();
  EXPECT_FALSE(mib_.AddScalarGroup(group, &error));
  EXPECT_NE(error.find("overlaps the registration of " + kRowTable), std::string::npos) << error;
}

TEST_F(MemoryMibTest, DefaultsScanForEveryType) {
  TableDef def = Table(kBase + ".70.1", {Col(1, KX_ASN_OBJECT_ID, 0, 0, kRW, "1.3.6.1"),
                                         Col(2, KX_ASN_IPADDRESS, 0, 0, kRW, "192.168.0.1"),
                                         Col(3, KX_ASN_COUNTER, 0, 0, kRW, "17"),
                                         Col(4, KX_ASN_TIMETICKS, 0, 0, kRW, "300"),
                                         Col(5, kStr, 0, 0, kRW, "a fairly long default text")});
  def.createOnFirstSet = true;
  Add(def);
  ASSERT_EQ(Set(kBase + ".70.1.4.1", 't', "301"), 0);
  Binding oid(kBase + ".70.1.1.1");
  ASSERT_EQ(mib_.Get(oid.get()), 1);
  ASSERT_EQ(oid.type(), KX_ASN_OBJECT_ID);
  char text[64];
  KXObjidToStr(&oid.get()->value.oid, text, sizeof text);
  EXPECT_STREQ(text, "1.3.6.1");
  EXPECT_EQ(Get(kBase + ".70.1.2.1"), std::string("\xc0\xa8\x00\x01", 4));
  Binding counter(kBase + ".70.1.3.1");
  ASSERT_EQ(mib_.Get(counter.get()), 1);
  EXPECT_EQ(counter.type(), KX_ASN_COUNTER);
  EXPECT_EQ(counter.value(), "17");
  EXPECT_EQ(Get(kBase + ".70.1.4.1"), "301");
  EXPECT_EQ(Get(kBase + ".70.1.5.1"), "a fairly long default text");
}

}  // namespace
}  // namespace kxrt
