// Checks of table definitions that look at more than one field: a table's columns against each
// other and the tables against each other.

#include <cstdio>
#include <map>
#include <set>

#include "definitions.h"
#include "definitions_internal.h"
#include "kx_host.h"

namespace kxagent {
namespace {

const char* TypeName(int32_t type) {
  switch (type) {
    case KX_ASN_INTEGER:
      return "integer";
    case KX_ASN_UNSIGNED:
      return "unsigned";
    case KX_ASN_TIMETICKS:
      return "timeticks";
    case KX_ASN_OCTET_STRING:
      return "octets";
    case KX_ASN_OBJECT_ID:
      return "oid";
    case KX_ASN_IPADDRESS:
      return "ipaddress";
  }
  return "?";
}

std::string ColumnPath(const std::string& tablePath, size_t i) {
  return tablePath + ".columns[" + std::to_string(i) + "]";
}

// The first difference in the MIB attributes of two declarations of one column, or null.
const char* MibDifference(const ColumnDefinition& a, const ColumnDefinition& b) {
  if (a.access != b.access) return "access";
  if (a.hasRange != b.hasRange || a.lower != b.lower || a.upper != b.upper) return "range or size";
  if (a.enciphered != b.enciphered) return "enciphered";
  if (a.defaultText != b.defaultText) return "default";
  return nullptr;
}

// Index of the first declaration of column number in t, or -1.
int FindColumn(const TableDefinition& t, uint32_t number) {
  for (size_t i = 0; i < t.columns.size(); ++i) {
    if (t.columns[i].number == number) return static_cast<int>(i);
  }
  return -1;
}

// A column that the configurator writes by itself (status, owner, child count): it must exist
// and be writable, and a property on it would fight with what the configurator writes.
const ColumnDefinition& RequireControlColumn(const TableDefinition& t, const std::string& path,
                                             uint32_t number, const std::string& what) {
  int i = FindColumn(t, number);
  if (i < 0) {
    throw DefinitionError(
        path, "the " + what + " " + std::to_string(number) + " is not a column of the table");
  }
  const ColumnDefinition& col = t.columns[i];
  if (col.access == KX_ACCESS_READ_ONLY) {
    throw DefinitionError(path, "the " + what + " " + std::to_string(number) + " is read-only");
  }
  for (const ColumnDefinition& other : t.columns) {
    if (other.number == number && !other.property.empty()) {
      throw DefinitionError(path, "the " + what + " " + std::to_string(number) +
                                      " cannot also be a property (\"" + other.property + "\")");
    }
  }
  return col;
}

bool IsPrefix(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() > b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string OneLine(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return out;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(name[0])) return false;
  for (char c : name) {
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '_' && c != '-' && c != '.') return false;
  }
  return true;
}

bool ParseOid(const std::string& text, std::vector<uint32_t>* ids) {
  std::vector<uint32_t> result;
  size_t i = 0;
  if (text.empty()) return false;
  while (true) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    uint64_t n = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      n = n * 10 + static_cast<uint64_t>(text[i] - '0');
      if (n > 0xffffffffULL) return false;
      ++i;
    }
    result.push_back(static_cast<uint32_t>(n));
    if (i == text.size()) break;
    if (text[i] != '.') return false;
    ++i;
  }
  *ids = std::move(result);
  return true;
}

bool IsDottedQuad(const std::string& text) {
  std::vector<uint32_t> parts;
  if (!ParseOid(text, &parts) || parts.size() != 4) return false;
  for (uint32_t p : parts) {
    if (p > 255) return false;
  }
  return true;
}

bool IsReservedCommandName(const std::string& name) {
  static const std::set<std::string> kReserved = {"help", "config", "value", "mib", "quit"};
  return kReserved.count(name) != 0;
}

const TableDefinition* Definitions::Find(const std::string& command) const {
  for (const TableDefinition& t : tables) {
    if (t.command == command) return &t;
  }
  return nullptr;
}

void CheckTableColumns(const TableDefinition& t, const std::string& path) {
  std::map<std::string, std::string> names;  // property or alias -> where it was declared
  auto claim = [&](const std::string& name, const std::string& where) {
    auto inserted = names.emplace(name, where);
    if (!inserted.second) {
      throw DefinitionError(where, "the name " + Quote(name) + " is already used in the table by " +
                                       inserted.first->second);
    }
  };
  bool anyProperty = false;
  for (size_t i = 0; i < t.columns.size(); ++i) {
    const ColumnDefinition& col = t.columns[i];
    std::string at = ColumnPath(path, i);
    int first = FindColumn(t, col.number);
    if (first != static_cast<int>(i)) {
      const ColumnDefinition& earlier = t.columns[first];
      std::string where = ColumnPath(path, first);
      if (earlier.type != col.type) {
        throw DefinitionError(at + ".type", "column " + std::to_string(col.number) +
                                                " is used twice with different types (" +
                                                TypeName(earlier.type) + " in " + where + ", " +
                                                TypeName(col.type) + " here)");
      }
      if (const char* diff = MibDifference(earlier, col)) {
        throw DefinitionError(at, "column " + std::to_string(col.number) + " is declared again (" +
                                      where + ") with a different " + diff);
      }
      if (col.property.empty()) {
        throw DefinitionError(at, "column " + std::to_string(col.number) + " is declared again (" +
                                      where + ") without a property to add");
      }
    }
    if (!col.property.empty()) {
      anyProperty = true;
      claim(col.property, at + ".property");
      for (size_t a = 0; a < col.aliases.size(); ++a) {
        claim(col.aliases[a], at + ".aliases[" + std::to_string(a) + "]");
      }
    }
  }
  if (!anyProperty) {
    // The configuration writer walks a table through its first property.
    throw DefinitionError(path + ".columns", "the table needs at least one column with a property");
  }

  if (t.kind == TableKind::kStatus) {
    const ColumnDefinition& status =
        RequireControlColumn(t, path + ".status.column", t.statusColumn, "status column");
    bool wantsText = t.statusStyle == StatusStyle::kStringStatus;
    int32_t wanted = wantsText ? KX_ASN_OCTET_STRING : KX_ASN_INTEGER;
    if (status.type != wanted) {
      throw DefinitionError(path + ".status.column", std::string("a ") +
                                                         (wantsText ? "StringStatus"
                                                                    : "RowStatus or "
                                                                      "EntryStatus") +
                                                         " column must be " + TypeName(wanted) +
                                                         ", not " + TypeName(status.type));
    }
    if (t.ownerColumn != 0) {
      if (t.ownerColumn == t.statusColumn) {
        throw DefinitionError(path + ".owner_column", "the owner column is the status column");
      }
      const ColumnDefinition& owner =
          RequireControlColumn(t, path + ".owner_column", t.ownerColumn, "owner column");
      if (owner.type != KX_ASN_OCTET_STRING || owner.enciphered) {
        throw DefinitionError(path + ".owner_column", "the owner column must be plain octets");
      }
    }
  }
  if (t.kind == TableKind::kIndexed && FindColumn(t, t.rowColumn) < 0) {
    throw DefinitionError(path + ".row_column", "the row column " + std::to_string(t.rowColumn) +
                                                    " is not a column of the table");
  }
  if (t.childSizeColumn != 0) {
    std::string at = path + ".child_size_column";
    const ColumnDefinition& size =
        RequireControlColumn(t, at, t.childSizeColumn, "child size column");
    // The configurator writes the count as an INTEGER value.
    if (size.type != KX_ASN_INTEGER) {
      throw DefinitionError(
          at, "the child size column must be integer, not " + std::string(TypeName(size.type)));
    }
    if (t.childSizeColumn == t.statusColumn || t.childSizeColumn == t.ownerColumn) {
      throw DefinitionError(at, "the child size column is also the status or owner column");
    }
  }
}

void CheckAcrossTables(Definitions* defs) {
  std::vector<TableDefinition>& tables = defs->tables;
  std::map<std::string, size_t> byCommand;
  auto tablePath = [](size_t i) { return "tables[" + std::to_string(i) + "]"; };

  for (size_t i = 0; i < tables.size(); ++i) {
    auto inserted = byCommand.emplace(tables[i].command, i);
    if (!inserted.second) {
      throw DefinitionError(tablePath(i) + ".command", "the command " + Quote(tables[i].command) +
                                                           " is already defined by " +
                                                           tablePath(inserted.first->second));
    }
    for (size_t j = 0; j < i; ++j) {
      if (IsPrefix(tables[j].oid, tables[i].oid) || IsPrefix(tables[i].oid, tables[j].oid)) {
        throw DefinitionError(tablePath(i) + ".oid", "the OID " + tables[i].oidText +
                                                         " overlaps the OID " + tables[j].oidText +
                                                         " of " + tablePath(j) + " (" +
                                                         tables[j].command + ")");
      }
    }
  }

  // Parents: they must exist, be tables whose rows carry their children, and form no cycle.
  for (size_t i = 0; i < tables.size(); ++i) {
    if (tables[i].kind != TableKind::kChild) continue;
    std::string at = tablePath(i) + ".parent";
    auto parent = byCommand.find(tables[i].parent);
    if (parent == byCommand.end()) {
      throw DefinitionError(at, "no table has the command " + Quote(tables[i].parent));
    }
    const TableDefinition& p = tables[parent->second];
    if (p.kind != TableKind::kStatus && p.kind != TableKind::kChild) {
      throw DefinitionError(at, "the parent " + Quote(p.command) +
                                    " must be a status or child table (only those replay their "
                                    "child rows under the right row)");
    }
  }
  // The MIB applies a table's index range to every sub-identifier of its index, the parent's
  // included, so a narrower child range would leave some parent rows unable to have children.
  for (size_t i = 0; i < tables.size(); ++i) {
    if (tables[i].kind != TableKind::kChild) continue;
    const TableDefinition& p = tables[byCommand.at(tables[i].parent)];
    if (tables[i].indexMin > p.indexMin || tables[i].indexMax < p.indexMax) {
      throw DefinitionError(tablePath(i) + ".index_range",
                            "the index range " + std::to_string(tables[i].indexMin) + ".." +
                                std::to_string(tables[i].indexMax) + " must include the parent's " +
                                std::to_string(p.indexMin) + ".." + std::to_string(p.indexMax) +
                                ", since it applies to the parent's part of the index too");
    }
  }
  for (size_t i = 0; i < tables.size(); ++i) {
    std::set<size_t> seen;
    for (size_t k = i; tables[k].kind == TableKind::kChild; k = byCommand.at(tables[k].parent)) {
      if (!seen.insert(k).second) {
        throw DefinitionError(tablePath(i) + ".parent",
                              "the parents of " + Quote(tables[i].command) + " form a cycle");
      }
    }
  }
  for (size_t i = 0; i < tables.size(); ++i) {
    if (tables[i].childSizeColumn == 0) continue;
    bool hasChild = false;
    for (const TableDefinition& t : tables) hasChild |= t.parent == tables[i].command;
    if (!hasChild) {
      throw DefinitionError(tablePath(i) + ".child_size_column",
                            "the table has no child table to count");
    }
  }

  // Parents first (stable otherwise), so configurators can be created in order; then depths.
  std::vector<TableDefinition> ordered;
  std::set<std::string> placed;
  while (ordered.size() < tables.size()) {
    for (TableDefinition& t : tables) {
      if (placed.count(t.command)) continue;
      if (t.kind == TableKind::kChild && !placed.count(t.parent)) continue;
      placed.insert(t.command);
      ordered.push_back(t);
    }
  }
  for (TableDefinition& t : ordered) {
    if (t.kind != TableKind::kChild) continue;
    for (TableDefinition& p : ordered) {
      if (p.command != t.parent) continue;
      t.indexDepth = p.indexDepth + 1;
      p.children.push_back(t.command);
    }
  }
  tables = std::move(ordered);
}

}  // namespace kxagent
