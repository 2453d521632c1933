#include "mib_tables.h"

#include <set>

namespace kxagent {
namespace {

kxrt::StatusStyle ToMibStyle(StatusStyle style) {
  switch (style) {
    case StatusStyle::kEntryStatus:
      return kxrt::StatusStyle::kEntryStatus;
    case StatusStyle::kRowStatus:
      return kxrt::StatusStyle::kRowStatus;
    case StatusStyle::kStringStatus:
      return kxrt::StatusStyle::kStringStatus;
    case StatusStyle::kNone:
      break;
  }
  return kxrt::StatusStyle::kNone;
}

// One ColumnDef per column number: a number declared again only adds a property name.
std::vector<kxrt::ColumnDef> ToColumnDefs(const TableDefinition& table) {
  std::vector<kxrt::ColumnDef> defs;
  std::set<uint32_t> seen;
  for (const ColumnDefinition& col : table.columns) {
    if (!seen.insert(col.number).second) continue;
    kxrt::ColumnDef def;
    def.column = col.number;
    def.type = col.type;
    def.access = col.access;
    def.defaultText = col.defaultText;
    if (col.enciphered) {
      // The mark takes the lower bound's place; the upper bound still limits the length.
      def.lower = KX_ENCIPHERED_LOWER_BOUND;
      def.upper = col.hasRange ? col.upper : 0;
    } else if (col.hasRange) {
      def.lower = col.lower;
      def.upper = col.upper;
    }
    defs.push_back(def);
  }
  return defs;
}

}  // namespace

kxrt::TableDef ToTableDef(const TableDefinition& table, const Definitions& defs) {
  kxrt::TableDef def;
  def.entry = table.oid;
  def.columns = ToColumnDefs(table);
  def.indexDepth = table.indexDepth;
  def.indexMin = table.indexMin;
  def.indexMax = table.indexMax;
  def.statusStyle = ToMibStyle(table.statusStyle);
  def.statusColumn = table.kind == TableKind::kStatus ? table.statusColumn : 0;
  def.createOnFirstSet = table.createOnFirstSet;
  if (const TableDefinition* parent = defs.Find(table.parent)) def.parentEntry = parent->oid;
  return def;
}

kxrt::ScalarGroupDef ToScalarGroupDef(const TableDefinition& table) {
  kxrt::ScalarGroupDef def;
  def.group = table.oid;
  def.scalars = ToColumnDefs(table);
  return def;
}

bool RegisterTables(const Definitions& defs, kxrt::MemoryMib* mib, std::string* error) {
  for (const TableDefinition& table : defs.tables) {
    std::string reason;
    bool ok = table.kind == TableKind::kScalars
                  ? mib->AddScalarGroup(ToScalarGroupDef(table), &reason)
                  : mib->AddTable(ToTableDef(table, defs), &reason);
    if (!ok) {
      *error = table.command + ": " + reason;
      return false;
    }
  }
  return true;
}

}  // namespace kxagent
