// CConfigurator's construction, destruction, settings and work identifier.

#include <cstring>

#include "configurator/internal.h"

namespace korvax {

CConfigurator::CConfigurator(const char* name, const char* descr, const char* oid) {
  Construct(name, descr, oid, eScalarGroup, nullptr);
}

CConfigurator::CConfigurator(const char* name, const char* descr, const char* oid, int column) {
  m_statusColumn = column;
  Construct(name, descr, oid, eIndexedTable, nullptr);
}

CConfigurator::CConfigurator(const char* name, const char* descr, const char* oid,
                             IConfigurator& parent) {
  Construct(name, descr, oid, eChildTable, &parent);
}

CConfigurator::CConfigurator(const char* name, const char* descr, const char* oid, EStatusType type,
                             int statusColumn, int ownerColumn) {
  m_statusType = type;
  m_statusColumn = statusColumn;
  m_ownerColumn = ownerColumn;
  Construct(name, descr, oid, eStatusTable, nullptr);
}

void CConfigurator::Construct(const char* name, const char* descr, const char* oid, ETableKind kind,
                              const IConfigurator* parent) {
  m_tableKind = kind;
  m_name = name;
  m_oidText = oid;
  m_help = std::string("Configure ") + descr + ".";
  KXObjidInit(&m_tableOid);
  // An identifier the host cannot parse leaves the table identifier empty; the configurator
  // then addresses nothing the MIB knows, and every access fails there.
  KXObjidSetStr(&m_tableOid, oid);
  KXObjidInit(&m_workOid);
  KXObjidCopy(&m_workOid, &m_tableOid);
  if (parent != nullptr) m_indexLength = parent->IndexLength() + 1;
  KXObjidRealloc(&m_workOid, m_tableOid.count + 1 + m_indexLength);
  if (kind == eScalarGroup) SetWorkIndex(0);
  InitCfg();
}

CConfigurator::~CConfigurator() {
  CConfigurator::ClearEntries();
  if (m_registered) {
    KXConsoleDeregisterv(&m_command);
    delete[] m_syntaxText;
    for (int i = 0; i < m_command.propertyCount; ++i) delete[] m_propertyTexts[i];
    delete[] m_propertyTexts;
  }
  KXObjidFree(&m_workOid);
  KXObjidFree(&m_tableOid);
  for (auto& [number, column] : m_columns) KXVarBindFree(&column.value);
  delete m_childList;
  m_childList = nullptr;
}

void CConfigurator::InitCfg() {
  m_removeOnFail = true;
  int flag = 0;
  if (KXGetIniFlag("ConfigRemoveOnFail", &flag) == 1) m_removeOnFail = (flag != 0);
}

void CConfigurator::SetWorkColumn(int column) {
  m_workOid.ids[m_tableOid.count] = static_cast<uint32_t>(column);
}

void CConfigurator::SetIndexPrefix(unsigned* prefix, int n) {
  // A prefix longer than this table's parent positions would run over the own index and past
  // the identifier; only the positions that exist are filled.
  if (n > m_indexLength - 1) n = m_indexLength - 1;
  for (int i = 0; i < n; ++i) m_workOid.ids[m_tableOid.count + 1 + i] = prefix[i];
}

void CConfigurator::SetParentWorkIndex(int index) {
  m_workOid.ids[m_workOid.count - 2] = static_cast<uint32_t>(index);
}

void CConfigurator::SetWorkIndex(int index) {
  m_workOid.ids[m_workOid.count - 1] = static_cast<uint32_t>(index);
}

void CConfigurator::GetWorkId(KX_OBJID_T& oid) {
  KXObjidCopy(&oid, &m_workOid);
}

int CConfigurator::CurrentIndex() const {
  return static_cast<int>(m_workOid.ids[m_workOid.count - 1]);
}

int CConfigurator::IndexLength() const {
  return m_indexLength;
}

int CConfigurator::NumEntries() const {
  int count = 0;
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) ++count;
  return count;
}

}  // namespace korvax
