// Shared fixture of the configurator tests: the runtime's in-memory MIB with a set of test
// tables, its console and a captured log. Tests drive configurators through console lines, as a
// user would, and look at the MIB and the log.

#ifndef KORVAX_CONFIGURATOR_TESTUTIL_H_
#define KORVAX_CONFIGURATOR_TESTUTIL_H_

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "korvax/configurator.h"
#include "kxrt/cipher.h"
#include "kxrt/console.h"
#include "kxrt/log.h"
#include "kxrt/mib.h"
#include "kxrt/settings.h"

namespace korvax {

// Reaches the private state of a configurator for the tests that check it directly.
class CConfiguratorTestPeer {
 public:
  explicit CConfiguratorTestPeer(IConfigurator* c) : c_(static_cast<CConfigurator*>(c)) {}
  std::string WorkId() const { return OidText(c_->m_workOid); }
  uint32_t WorkIdLength() const { return c_->m_workOid.count; }
  bool RemoveOnFail() const { return c_->m_removeOnFail; }
  int RequestedIndex() const { return c_->m_requestedIndex; }
  int SearchStart() const { return c_->m_searchStart; }
  const std::string& Owner() const { return c_->m_owner; }
  bool Persistent() const { return c_->m_persistent; }
  int ChildSizeColumn() const { return c_->m_childSizeColumn; }
  IConfigurator* Child() const { return c_->m_child; }
  const CConfiguratorList* ChildList() const { return c_->m_childList; }
  const std::list<CConfigurator::SEntry>& Entries() const { return c_->m_entries; }
  CConfigurator::SColumn* Column(const std::string& name) const {
    auto it = c_->m_names.find(name);
    return it == c_->m_names.end() ? nullptr : it->second;
  }
  size_t ColumnCount() const { return c_->m_columns.size(); }
  const KX_CONSOLE_CMD_T& Command() const { return c_->m_command; }
  void SetRequestedIndex(int index) { c_->m_requestedIndex = index; }
  void SetSearchStart(int start) { c_->m_searchStart = start; }
  void SetOwner(const std::string& owner) { c_->m_owner = owner; }
  void SetPersistent(bool persistent) { c_->m_persistent = persistent; }
  int OwnerPushes() const { return c_->m_ownerPushes; }

  static std::string OidText(const KX_OBJID_T& oid) {
    std::string text;
    for (uint32_t i = 0; i < oid.count; ++i) {
      if (i > 0) text += '.';
      text += std::to_string(oid.ids[i]);
    }
    return text;
  }

 private:
  CConfigurator* c_;
};

// Object identifiers of the test tables.
namespace oids {
inline constexpr char kTbl[] = "1.3.6.1.4.1.4242.1.1";      // RowStatus table
inline constexpr char kEnt[] = "1.3.6.1.4.1.4242.2.1";      // EntryStatus table
inline constexpr char kStr[] = "1.3.6.1.4.1.4242.3.1";      // string-status table
inline constexpr char kScalars[] = "1.3.6.1.4.1.4242.4";    // scalar group
inline constexpr char kIfTable[] = "1.3.6.1.4.1.4242.5.1";  // indexed table
inline constexpr char kSub[] = "1.3.6.1.4.1.4242.6.1";      // child of tbl
inline constexpr char kGsub[] = "1.3.6.1.4.1.4242.7.1";     // child of sub
inline constexpr char kSub2[] = "1.3.6.1.4.1.4242.8.1";     // second child of tbl
inline constexpr char kPlain[] = "1.3.6.1.4.1.4242.9.1";    // RowStatus table without owner
}  // namespace oids

inline kxrt::Oid ParseOid(const std::string& text) {
  KX_OBJID_T oid;
  KXObjidInit(&oid);
  EXPECT_EQ(KXObjidSetStr(&oid, text.c_str()), 1) << text;
  kxrt::Oid ids(oid.ids, oid.ids + oid.count);
  KXObjidFree(&oid);
  return ids;
}

// Registers the test tables:
//  tbl (RowStatus): 2 name s(0..64), 3 alpha INTEGER, 4 count INTEGER 1..100, 5 owner s,
//      6 status, 7 nsub INTEGER (child size), 8 secret s enciphered, 9 addr IpAddress,
//      10 ident OID, 11 mac hex s, 12 dotted s, 13 uns unsigned, 14 ticks TimeTicks,
//      15 ro read-only INTEGER.
//  ent (EntryStatus): 1 descr s, 2 owner s, 3 status.
//  str (string status): 1 label s, 2 status s.
//  scalars: 1 contact s, 2 level INTEGER 0..10, 3 mode INTEGER.
//  iftable (indexed, rows made by the first set): 1 ifname s, 2 mtu INTEGER 0..65535.
//  sub (child of tbl): 1 gamma INTEGER, 2 label s, 3 ngsub INTEGER.
//  gsub (child of sub): 1 delta INTEGER.
//  sub2 (child of tbl): 1 weight INTEGER.
//  plain (RowStatus, no owner column): 1 note s, 2 status.
inline void RegisterTestTables(kxrt::MemoryMib& mib) {
  using kxrt::ColumnDef;
  using kxrt::StatusStyle;
  using kxrt::TableDef;
  std::string error;
  auto col = [](uint32_t n, int32_t type, int32_t lower = 0, int32_t upper = 0,
                int32_t access = KX_ACCESS_READ_CREATE, std::string def = "") {
    ColumnDef c;
    c.column = n;
    c.type = type;
    c.lower = lower;
    c.upper = upper;
    c.access = access;
    c.defaultText = def;
    return c;
  };
  TableDef tbl;
  tbl.entry = ParseOid(oids::kTbl);
  tbl.columns = {col(2, KX_ASN_OCTET_STRING, 0, 64),
                 col(3, KX_ASN_INTEGER),
                 col(4, KX_ASN_INTEGER, 1, 100, KX_ACCESS_READ_CREATE, "1"),
                 col(5, KX_ASN_OCTET_STRING),
                 col(6, KX_ASN_INTEGER),
                 col(7, KX_ASN_INTEGER),
                 col(8, KX_ASN_OCTET_STRING, KX_ENCIPHERED_LOWER_BOUND, 64),
                 col(9, KX_ASN_IPADDRESS, 0, 0, KX_ACCESS_READ_CREATE, "0.0.0.0"),
                 col(10, KX_ASN_OBJECT_ID, 0, 0, KX_ACCESS_READ_CREATE, "0.0"),
                 col(11, KX_ASN_OCTET_STRING),
                 col(12, KX_ASN_OCTET_STRING),
                 col(13, KX_ASN_UNSIGNED),
                 col(14, KX_ASN_TIMETICKS),
                 col(15, KX_ASN_INTEGER, 0, 0, KX_ACCESS_READ_ONLY)};
  tbl.statusColumn = 6;
  tbl.statusStyle = StatusStyle::kRowStatus;
  tbl.indexMax = 100000;
  ASSERT_TRUE(mib.AddTable(tbl, &error)) << error;

  TableDef ent;
  ent.entry = ParseOid(oids::kEnt);
  ent.columns = {col(1, KX_ASN_OCTET_STRING), col(2, KX_ASN_OCTET_STRING), col(3, KX_ASN_INTEGER)};
  ent.statusColumn = 3;
  ent.statusStyle = StatusStyle::kEntryStatus;
  ent.indexMax = 65535;
  ASSERT_TRUE(mib.AddTable(ent, &error)) << error;

  TableDef str;
  str.entry = ParseOid(oids::kStr);
  str.columns = {col(1, KX_ASN_OCTET_STRING), col(2, KX_ASN_OCTET_STRING)};
  str.statusColumn = 2;
  str.statusStyle = StatusStyle::kStringStatus;
  str.indexMax = 65535;
  ASSERT_TRUE(mib.AddTable(str, &error)) << error;

  kxrt::ScalarGroupDef scalars;
  scalars.group = ParseOid(oids::kScalars);
  scalars.scalars = {col(1, KX_ASN_OCTET_STRING, 0, 0, KX_ACCESS_READ_WRITE),
                     col(2, KX_ASN_INTEGER, 0, 10, KX_ACCESS_READ_WRITE),
                     col(3, KX_ASN_INTEGER, 0, 0, KX_ACCESS_READ_WRITE)};
  ASSERT_TRUE(mib.AddScalarGroup(scalars, &error)) << error;

  TableDef ift;
  ift.entry = ParseOid(oids::kIfTable);
  ift.columns = {col(1, KX_ASN_OCTET_STRING), col(2, KX_ASN_INTEGER, 0, 65535)};
  ift.createOnFirstSet = true;
  ift.indexMax = 65535;
  ASSERT_TRUE(mib.AddTable(ift, &error)) << error;

  TableDef sub;
  sub.entry = ParseOid(oids::kSub);
  sub.columns = {col(1, KX_ASN_INTEGER), col(2, KX_ASN_OCTET_STRING), col(3, KX_ASN_INTEGER)};
  sub.indexDepth = 2;
  sub.createOnFirstSet = true;
  sub.parentEntry = tbl.entry;
  sub.indexMax = 100000;
  ASSERT_TRUE(mib.AddTable(sub, &error)) << error;

  TableDef gsub;
  gsub.entry = ParseOid(oids::kGsub);
  gsub.columns = {col(1, KX_ASN_INTEGER)};
  gsub.indexDepth = 3;
  gsub.createOnFirstSet = true;
  gsub.parentEntry = sub.entry;
  gsub.indexMax = 100000;
  ASSERT_TRUE(mib.AddTable(gsub, &error)) << error;

  TableDef sub2;
  sub2.entry = ParseOid(oids::kSub2);
  sub2.columns = {col(1, KX_ASN_INTEGER)};
  sub2.indexDepth = 2;
  sub2.createOnFirstSet = true;
  sub2.parentEntry = tbl.entry;
  sub2.indexMax = 100000;
  ASSERT_TRUE(mib.AddTable(sub2, &error)) << error;

  TableDef plain;
  plain.entry = ParseOid(oids::kPlain);
  plain.columns = {col(1, KX_ASN_OCTET_STRING), col(2, KX_ASN_INTEGER)};
  plain.statusColumn = 2;
  plain.statusStyle = StatusStyle::kRowStatus;
  plain.indexMax = 100000;
  ASSERT_TRUE(mib.AddTable(plain, &error)) << error;
}

class ConfiguratorTest : public ::testing::Test {
 protected:
  ConfiguratorTest() {
    kxrt::SetCurrentMib(&mib_);
    RegisterTestTables(mib_);
    kxrt::Console& console = kxrt::Console::Instance();
    for (int i = 0; i < 64; ++i) console.PopOwner();
    console.SetBaseOwner("");
    console.SetValue("?", "");
    kxrt::CurrentSettings() = kxrt::Settings();
    kxrt::SetCipherKey(std::string(32, 'k'));
  }
  ~ConfiguratorTest() override {
    configurators_.clear();
    kxrt::SetCurrentMib(nullptr);
    kxrt::ClearCipherKey();
  }

  // Configurators made here are deleted (children first) when the test ends.
  IConfigurator* Keep(IConfigurator* c) {
    configurators_.emplace(configurators_.begin(), c);
    return c;
  }

  // tbl with every column of the test table, enumerations on alpha.
  IConfigurator* MakeTbl(bool registerIt = true) {
    IConfigurator* c = Keep(
        IConfigurator::Create("tbl", "a test table", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
    c->AddStrCol(2, "name", "Name of the row");
    c->AddIntCol(3, "alpha", "Alpha switch");
    c->AddEnum(3, 1, "on");
    c->AddEnum(3, 2, "off");
    c->AddEnum(3, -2, "disabled");
    c->AddIntCol(4, "count", "A bounded count");
    c->AddStrCol(8, "secret", "Enciphered secret");
    c->AddStrCol(9, "addr", "An address");
    c->AddStrCol(10, "ident", "An identifier");
    c->AddStrCol(11, "mac", "Hex octets");
    c->SetStrFmt(11, IConfigurator::eFmtHex);
    c->AddStrCol(12, "dotted", "Decimal octets");
    c->SetStrFmt(12, IConfigurator::eFmtDecimal);
    c->AddUnsCol(13, "uns", "An unsigned");
    c->AddUnsCol(14, "ticks", "Time ticks");
    if (registerIt) c->Register();
    return c;
  }
  IConfigurator* MakeEnt() {
    IConfigurator* c = Keep(IConfigurator::Create("ent", "entry status", oids::kEnt,
                                                  IConfigurator::eEntryStatus, 3, 2));
    c->AddStrCol(1, "descr", "Description");
    c->Register();
    return c;
  }
  IConfigurator* MakeStr() {
    IConfigurator* c = Keep(IConfigurator::Create("str", "string status", oids::kStr,
                                                  IConfigurator::eStringStatus, 2, 0));
    c->AddStrCol(1, "label", "Label");
    c->Register();
    return c;
  }
  IConfigurator* MakeScalars() {
    IConfigurator* c = Keep(IConfigurator::Create("sys", "system scalars", oids::kScalars));
    c->AddStrCol(1, "contact", "Contact");
    c->AddIntCol(2, "level", "Level");
    c->AddIntCol(3, "mode", "Mode");
    c->AddEnum(3, 0, "auto");
    c->AddEnum(3, 1, "manual");
    c->Register();
    return c;
  }
  IConfigurator* MakeIfTable() {
    IConfigurator* c = Keep(IConfigurator::Create("iface", "interfaces", oids::kIfTable, 1));
    c->AddStrCol(1, "ifname", "Interface name");
    c->AddIntCol(2, "mtu", "MTU");
    c->Register();
    return c;
  }
  IConfigurator* MakeSub(IConfigurator& parent) {
    IConfigurator* c = Keep(IConfigurator::Create("sub", "sub rows", oids::kSub, parent));
    c->AddIntCol(1, "gamma", "Gamma");
    c->AddStrCol(2, "label", "Label");
    c->Register();
    return c;
  }
  IConfigurator* MakeGsub(IConfigurator& parent) {
    IConfigurator* c = Keep(IConfigurator::Create("gsub", "grandchild rows", oids::kGsub, parent));
    c->AddIntCol(1, "delta", "Delta");
    c->Register();
    return c;
  }
  IConfigurator* MakeSub2(IConfigurator& parent) {
    IConfigurator* c = Keep(IConfigurator::Create("sub2", "second sub rows", oids::kSub2, parent));
    c->AddIntCol(1, "weight", "Weight");
    c->Register();
    return c;
  }

  // From now on, every set that the MIB accepts is appended to the result as "instance=value"
  // (the value in display text), in the order the sets were made.
  const std::vector<std::string>& RecordSets() {
    acceptedSets_.clear();
    mib_.SetSetHook([this](const KX_VARBIND_T& vb) {
      char text[256];
      text[0] = '\0';
      KXAsnValueSprint(&vb.value, text, sizeof(text));
      acceptedSets_.push_back(CConfiguratorTestPeer::OidText(vb.name) + "=" + text);
    });
    return acceptedSets_;
  }

  bool Run(const std::string& line) { return kxrt::Console::Instance().Execute(line); }
  // Runs lines and returns what they logged.
  std::string RunLog(const std::vector<std::string>& lines) {
    log_.Take();
    for (const std::string& line : lines) Run(line);
    return log_.Take();
  }
  std::string Result() const { return kxrt::Console::Instance().Value("?"); }
  std::string TakeLog() { return log_.Take(); }

  // Reads an instance: false when it cannot be read or does not exist.
  bool Read(const std::string& oid, KX_ASN_VALUE_T* value) {
    KX_VARBIND_T vb;
    KXVarBindInit(&vb);
    KXObjidSetStr(&vb.name, oid.c_str());
    const bool ok = KXMibGet(&vb) != 0 && vb.value.type != KX_ASN_NO_SUCH_INSTANCE &&
                    vb.value.type != KX_ASN_NO_SUCH_OBJECT && vb.value.type != KX_ASN_NULL;
    if (ok) KXAsnValueCopy(value, &vb.value);
    KXVarBindFree(&vb);
    return ok;
  }
  bool Exists(const std::string& oid) {
    KX_ASN_VALUE_T v;
    KXAsnValueInit(&v);
    const bool ok = Read(oid, &v);
    KXAsnValueFree(&v);
    return ok;
  }
  int ReadInt(const std::string& oid) {
    KX_ASN_VALUE_T v;
    KXAsnValueInit(&v);
    EXPECT_TRUE(Read(oid, &v)) << oid;
    const int n = v.integer;
    KXAsnValueFree(&v);
    return n;
  }
  std::string ReadText(const std::string& oid) {
    KX_ASN_VALUE_T v;
    KXAsnValueInit(&v);
    EXPECT_TRUE(Read(oid, &v)) << oid;
    std::string text(reinterpret_cast<const char*>(v.octets.data), v.octets.length);
    KXAsnValueFree(&v);
    return text;
  }
  // Sets an instance directly in the MIB; returns the error status (or -1 when not processed).
  int Set(const std::string& oid, char letter, const std::string& text) {
    KX_VARBIND_T vb;
    KXVarBindInit(&vb);
    KXObjidSetStr(&vb.name, oid.c_str());
    EXPECT_NE(KXAsnValueScan(letter, text.c_str(), &vb.value), 0) << text;
    int status = 0;
    const int r = KXMibSet(&vb, &status);
    KXVarBindFree(&vb);
    return r == 1 ? status : -1;
  }

  // Everything WritePrimitiveState writes for c.
  static std::string Written(IConfigurator* c) {
    char* data = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&data, &size);
    c->WritePrimitiveState(f);
    fclose(f);
    std::string text(data, size);
    free(data);
    return text;
  }

  static std::string Cat(const char* base, const std::string& tail) {
    return std::string(base) + "." + tail;
  }

  kxrt::MemoryMib mib_;
  kxrt::LogCapture log_;
  std::vector<std::unique_ptr<IConfigurator>> configurators_;
  std::vector<std::string> acceptedSets_;  // filled by RecordSets
};

}  // namespace korvax

#endif  // KORVAX_CONFIGURATOR_TESTUTIL_H_
