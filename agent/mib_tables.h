// The MIB side of table definitions: what kxrt::MemoryMib registers for each table.

#ifndef KXAGENT_MIB_TABLES_H_
#define KXAGENT_MIB_TABLES_H_

#include <string>

#include "definitions.h"
#include "kxrt/mib.h"

namespace kxagent {

// The registration of a table (not a scalar group); defs supplies the parent's entry OID.
kxrt::TableDef ToTableDef(const TableDefinition& table, const Definitions& defs);
// The registration of a scalar group.
kxrt::ScalarGroupDef ToScalarGroupDef(const TableDefinition& table);

// Registers every table and scalar group of defs, parents first. False with one line in *error
// ("COMMAND: reason") at the first refusal; mib may then hold the tables registered before it,
// so callers register into a MIB that nobody uses yet.
bool RegisterTables(const Definitions& defs, kxrt::MemoryMib* mib, std::string* error);

}  // namespace kxagent

#endif  // KXAGENT_MIB_TABLES_H_
