// Helpers shared by the definitions reader and its checks; not part of the agent's interface.

#ifndef KXAGENT_DEFINITIONS_INTERNAL_H_
#define KXAGENT_DEFINITIONS_INTERNAL_H_

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "definitions.h"

namespace kxagent {

// A mistake in the definitions: where (a JSON path such as tables[1].columns[0].type) and what.
// Thrown inside the loader only; ParseDefinitions turns it into its one-line message.
class DefinitionError : public std::runtime_error {
 public:
  DefinitionError(std::string path, std::string problem);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// "a.b" from "a" and "b"; "b" when a is empty.
inline std::string JoinPath(const std::string& path, const std::string& key) {
  return path.empty() ? key : path + "." + key;
}

// Text in double quotes with control characters shown as \xHH, so a message stays one line.
std::string Quote(const std::string& text);
// Replaces line breaks and other control characters by blanks.
std::string OneLine(const std::string& text);

// A command, property, alias or enumeration name: a letter, then letters, digits, '_', '-' and
// '.'. Such a name is one console word that needs no quoting and never reads as a number.
bool IsPlainName(const std::string& name);

// Dotted decimal numbers below 2^32 ("1.3.6.1"); false for anything else.
bool ParseOid(const std::string& text, std::vector<uint32_t>* ids);
// Four dotted numbers 0..255.
bool IsDottedQuad(const std::string& text);

// Checks that need all columns of one table (repeated numbers, status, owner, row and size
// columns, property names). path is the table's JSON path.
void CheckTableColumns(const TableDefinition& table, const std::string& path);
// Checks that need all tables (unique commands, OID overlaps, parents), then orders the tables
// parents first and fills indexDepth and children.
void CheckAcrossTables(Definitions* defs);

}  // namespace kxagent

#endif  // KXAGENT_DEFINITIONS_INTERNAL_H_
