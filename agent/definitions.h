// Table definitions: what kxagent reads to build its MIB tables and the configurators that expose
// them as console commands. The format is JSON and is described in docs/definitions.md.
//
// Loading is all or nothing: every table, column and cross reference is checked before a caller
// sees the result, so nothing gets registered from a file that has a mistake in it.

#ifndef KXAGENT_DEFINITIONS_H_
#define KXAGENT_DEFINITIONS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kxagent {

// Which IConfigurator::Create overload a table gets.
enum class TableKind { kStatus, kChild, kScalars, kIndexed };

// The row-status style of a status table (IConfigurator::EStatusType).
enum class StatusStyle { kNone, kEntryStatus, kRowStatus, kStringStatus };

// Which schema operation declares a column's property.
enum class Adder { kInt, kUnsigned, kString };

// The string format a property is given with SetStrFmt; kDefault leaves the library's choice
// (text, OID, IP address or enciphered, from the column's MIB type).
enum class StringFormat { kDefault, kText, kHex, kDecimal };

struct ColumnDefinition {
  // MIB side.
  uint32_t number = 0;    // sub-identifier under the entry (or scalar group) OID
  int32_t type = 0;       // KX_ASN_* tag
  int32_t access = 0;     // KX_ACCESS_*
  bool hasRange = false;  // INTEGER value range or OCTET STRING size range
  int32_t lower = 0;
  int32_t upper = 0;
  bool enciphered = false;  // OCTET STRING kept enciphered in saved configurations
  std::string defaultText;  // as KXAsnValueScan reads it for the type; empty = zero value

  // Configurator side; an empty property leaves the column to the MIB alone.
  std::string property;
  Adder adder = Adder::kInt;
  std::string help;
  std::vector<std::pair<std::string, int>> enums;  // in file order; negative = input only
  std::vector<std::string> aliases;
  StringFormat format = StringFormat::kDefault;
  bool write = true;
};

struct TableDefinition {
  std::string command;
  std::string description;
  TableKind kind = TableKind::kStatus;
  std::string oidText;        // as written in the file
  std::vector<uint32_t> oid;  // entry OID of a table, group OID of a scalar group
  StatusStyle statusStyle = StatusStyle::kNone;
  uint32_t statusColumn = 0;     // status tables
  uint32_t ownerColumn = 0;      // status tables; 0 = none
  uint32_t rowColumn = 0;        // indexed tables: the column every row has
  std::string parent;            // child tables: the parent's command name
  uint32_t childSizeColumn = 0;  // receives the number of child rows; 0 = none
  bool createOnFirstSet = false;
  uint32_t indexMin = 1;
  uint32_t indexMax = 0x7fffffff;
  // Columns in file order. A number may appear more than once to give the column another
  // property name; every appearance then carries the same MIB attributes.
  std::vector<ColumnDefinition> columns;

  // Derived by the loader.
  uint32_t indexDepth = 1;  // index sub-identifiers per row: parent's depth + 1 for children
  std::vector<std::string> children;  // commands of the child tables, in file order
};

struct Definitions {
  // Parents always come before their children, so creating configurators in this order works.
  std::vector<TableDefinition> tables;

  // The table with that command name, or null.
  const TableDefinition* Find(const std::string& command) const;
};

// Reads definitions from JSON text. source names the text in messages (a file name, or
// "built-in definitions"). Returns false with one line in *error: "SOURCE: PLACE: problem", where
// PLACE is line:column for a syntax error and a JSON path (tables[2].columns[0].type) otherwise.
// *out is only written on success.
bool ParseDefinitions(const std::string& text, const std::string& source, Definitions* out,
                      std::string* error);

// Reads and parses a file; an unreadable file is refused in the same one-line form.
bool LoadDefinitionsFile(const std::string& path, Definitions* out, std::string* error);

// The example definitions compiled into kxagent (the text of builtin_definitions.json).
const std::string& BuiltinDefinitionsText();

// Command names the agent's own host commands take; a table may not use them.
bool IsReservedCommandName(const std::string& name);

}  // namespace kxagent

#endif  // KXAGENT_DEFINITIONS_H_
