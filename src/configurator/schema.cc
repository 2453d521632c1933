// The column schema: columns, enumeration names, aliases, formats and write flags, each column
// typed from the MIB registration.

#include "configurator/internal.h"

namespace korvax {

namespace {

// The registered type of column (0 when unregistered); *enciphered tells whether the column is
// an OCTET STRING that the MIB keeps enciphered. The instance column.0 is asked whatever the
// table kind: the registration covers every instance of the column.
int LookupColumnType(const KX_OBJID_T& tableOid, int column, bool* enciphered) {
  KX_OBJID_T probe;
  KXObjidInit(&probe);
  KXObjidCopy(&probe, &tableOid);
  uint32_t length = tableOid.count;
  KXObjidRealloc(&probe, length + 2);
  probe.ids[length] = static_cast<uint32_t>(column);
  probe.ids[length + 1] = 0;
  const KX_MIB_REG_T* reg = KXMibGetReg(probe.ids, probe.count);
  KXObjidFree(&probe);
  if (enciphered != nullptr) {
    *enciphered = reg != nullptr && reg->type == KX_ASN_OCTET_STRING &&
                  reg->lower == KX_ENCIPHERED_LOWER_BOUND;
  }
  return reg != nullptr ? reg->type : 0;
}

}  // namespace

void CConfigurator::AddColumn(int column, const char* name, const char* help, bool isString) {
  if (m_registered) return;
  SColumn& col = m_columns[column];
  // A redeclared column reuses its record; its old binding is released before the new one.
  KXVarBindFree(&col.value);
  KXVarBindInit(&col.value);
  m_names[name] = &col;
  col.column = column;
  col.name = name;
  col.help = help;
  bool enciphered = false;
  col.type = LookupColumnType(m_tableOid, column, isString ? &enciphered : nullptr);
  col.isSet = false;
  col.write = true;
  if (!isString) {
    col.fmt = eFmtNumber;
  } else {
    col.fmt = enciphered ? eFmtEnciphered : DefaultStrFmt(col);
  }
  SetWorkColumn(column);
  GetWorkId(col.value.name);
  KXVarBindSetType(&col.value, col.type);
}

void CConfigurator::AddIntCol(int column, const char* name, const char* help) {
  AddColumn(column, name, help, false);
}

void CConfigurator::AddUnsCol(int column, const char* name, const char* help) {
  AddColumn(column, name, help, false);
}

void CConfigurator::AddStrCol(int column, const char* name, const char* help) {
  AddColumn(column, name, help, true);
}

void CConfigurator::AddEnum(int column, int value, const char* name) {
  if (m_registered) return;
  auto it = m_columns.find(column);
  if (it == m_columns.end()) return;
  it->second.enums[name] = value;
}

void CConfigurator::AddAlias(const char* name, const char* alias) {
  auto it = m_names.find(name);
  if (it == m_names.end()) return;
  SColumn* column = it->second;
  m_names[alias] = column;
}

void CConfigurator::SetStrFmt(int column, EStrFmt fmt) {
  if (m_registered) return;
  auto it = m_columns.find(column);
  if (it != m_columns.end()) it->second.fmt = fmt;
}

void CConfigurator::SetColWrite(int column, bool write) {
  auto it = m_columns.find(column);
  if (it != m_columns.end()) it->second.write = write;
}

IConfigurator::EStrFmt CConfigurator::DefaultStrFmt(const SColumn& col) {
  if (col.type == KX_ASN_OBJECT_ID) return eFmtOid;
  if (col.type == KX_ASN_IPADDRESS) return eFmtIpAddr;
  return eFmtText;
}

const char* CConfigurator::GetEnumName(const SColumn& col, int value) {
  for (const auto& [name, number] : col.enums) {
    if (number == value) return name.c_str();
  }
  return nullptr;
}

}  // namespace korvax
