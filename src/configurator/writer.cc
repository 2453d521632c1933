// Writing the table's live rows as console lines that recreate them.

#include <string>

#include "configurator/internal.h"

namespace korvax {

namespace {

// The SprintX mode that the parser reads back for a column: hexadecimal and dotted-decimal
// texts exist only for OCTET STRING columns, whose parser follows the format; every other type
// is read by its type, so it is printed plainly whatever format was set.
int ModeFor(const CConfigurator::SColumn& col) {
  if (col.fmt == IConfigurator::eFmtEnciphered) return 3;
  if (col.type != KX_ASN_OCTET_STRING) return 1;
  if (col.fmt == IConfigurator::eFmtDecimal) return 7;
  if (col.fmt == IConfigurator::eFmtHex) return 5;
  return 1;
}

// An enumeration name for value that reads back as value: not for negative values (a negative
// name stands for the positive value) and not a name that itself reads as a number.
bool EnumText(const CConfigurator::SColumn& col, int value, std::string* text) {
  if (value < 0) return false;
  const char* name = CConfigurator::GetEnumName(col, value);
  int number = 0;
  if (name == nullptr || ScanInt(name, &number)) return false;
  // The name is printed as a text value so that the console's quoting keeps it one word.
  KX_ASN_VALUE_T asText;
  KXAsnValueInit(&asText);
  asText.type = KX_ASN_OCTET_STRING;
  KXOctetStringSet(&asText.octets, name);
  const bool ok = PrintValue(asText, 1, text);
  KXAsnValueFree(&asText);
  return ok;
}

}  // namespace

bool CConfigurator::WritePrimitiveState(FILE* file) {
  return WriteEntries(file);
}

bool CConfigurator::WriteEntries(FILE* file) {
  // Rows are found by walking one column; without any property there is none to walk.
  if (m_names.empty()) return true;
  const int column = m_names.begin()->second->column;
  bool wrote = false;
  WalkRows(column, [&] {
    if (!FilterEntry()) return;
    WriteEntry(file);
    wrote = true;
  });
  if (wrote && m_tableKind != eChildTable) fputc('\n', file);
  return true;
}

bool CConfigurator::WriteEntry(FILE* file) {
  const char* name = m_name.c_str();
  if (m_tableKind == eStatusTable) fprintf(file, "%s reset\n", name);
  if (m_tableKind == eIndexedTable) fprintf(file, "%s index=%d\n", name, CurrentIndex());
  WriteColumns(file);
  if (m_child != nullptr) {
    m_child->SetIndexPrefix(&m_workOid.ids[m_tableOid.count + 1], m_indexLength);
    m_child->WritePrimitiveState(file);
  }
  if (m_tableKind == eStatusTable) {
    const char* verb = RowIsActive() ? "create" : "createAndWait";
    std::string owner;
    GetOwner(owner);
    KX_ASN_VALUE_T ownerValue;
    KXAsnValueInit(&ownerValue);
    ownerValue.type = KX_ASN_OCTET_STRING;
    KXOctetStringSetN(&ownerValue.octets, owner.data(), owner.size());
    std::string ownerText;
    PrintValue(ownerValue, 1, &ownerText);
    KXAsnValueFree(&ownerValue);
    fprintf(file, "%s %s index=%d owner=%s\n%s reset\n", name, verb, CurrentIndex(),
            ownerText.c_str(), name);
  }
  if (m_tableKind == eChildTable) fprintf(file, "%s store index=%d\n", name, CurrentIndex());
  return true;
}

bool CConfigurator::WriteColumns(FILE* file) {
  KX_VARBIND_T vb;
  KXVarBindInit(&vb);
  for (auto& [number, col] : m_columns) {
    if (!col.write) continue;
    SetWorkColumn(col.column);
    GetWorkId(vb.name);
    // A column that cannot be read is left out: the binding is shared, and writing it would
    // put the previous column's value into this column.
    KXVarBindFreeValue(&vb);
    if (KXMibGet(&vb) == 0 || IsExceptionTag(vb.value.type)) continue;
    std::string text;
    if (!(col.type == KX_ASN_INTEGER && EnumText(col, vb.value.integer, &text)) &&
        !PrintValue(vb.value, ModeFor(col), &text)) {
      ReportError("Cannot write %s.%s.%d", m_name.c_str(), col.name.c_str(), CurrentIndex());
      continue;
    }
    const char* op = col.fmt == eFmtEnciphered ? "@=" : "=";
    fprintf(file, "%s %s%s%s\n", m_name.c_str(), col.name.c_str(), op, text.c_str());
  }
  KXVarBindFree(&vb);
  return true;
}

}  // namespace korvax
