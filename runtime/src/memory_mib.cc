// The in-memory MIB. Registered tables and scalar groups are kept in a map keyed by their
// prefix (entry or group identifier); registrations never overlap, so the object a name lies
// under is the greatest prefix not above the name. A table keeps its rows in an ordered map
// from index tuple to one array of cells, one cell per column in column order: every row holds
// a value in every column from the moment it exists, and an instance costs no node of its own.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "kxrt/mib.h"
#include "mib_cell.h"
#include "mib_order.h"

namespace kxrt {
namespace {

enum RowStatusValue : int32_t {
  kActive = 1,
  kNotInService = 2,
  kNotReady = 3,
  kCreateAndGo = 4,
  kCreateAndWait = 5,
  kDestroy = 6
};
enum EntryStatusValue : int32_t {
  kValid = 1,
  kCreateRequest = 2,
  kUnderCreation = 3,
  kInvalid = 4
};
constexpr char kNewText[] = "New";
constexpr uint32_t kNewTextLength = 3;

// Returned by the set logic when the request cannot be processed at all; Set then returns 0.
constexpr int kUnprocessable = -1;

const uint32_t kScalarIndex[1] = {0};

using Row = std::unique_ptr<Cell[]>;
using RowMap = std::map<IndexKey, Row, IdLess>;

struct Column {
  uint32_t number;
  KX_MIB_REG_T reg;
};

// A registered table or scalar group. Objects are held by unique_ptr and their column vectors
// never change after registration, so the records GetReg hands out keep their addresses.
struct Object {
  Oid prefix;
  bool isTable = false;
  std::vector<Column> columns;  // ascending column number
  std::vector<Cell> defaults;   // one per column

  // Tables only.
  uint32_t indexDepth = 0;
  uint32_t indexMin = 0;
  uint32_t indexMax = 0;
  StatusStyle statusStyle = StatusStyle::kNone;
  int statusPos = -1;  // position of the status column in `columns`
  bool createOnFirstSet = false;
  Object* parent = nullptr;
  std::vector<Object*> children;
  RowMap rows;

  // Scalar groups only: the current values, one per column.
  std::vector<Cell> scalars;

  // The first position whose column number is not below `number`.
  size_t LowerColumn(uint32_t number) const {
    auto it = std::lower_bound(columns.begin(), columns.end(), number,
                               [](const Column& c, uint32_t n) { return c.number < n; });
    return static_cast<size_t>(it - columns.begin());
  }
  int FindColumn(uint32_t number) const {
    size_t pos = LowerColumn(number);
    return pos < columns.size() && columns[pos].number == number ? static_cast<int>(pos) : -1;
  }
};

// What a name addresses.
struct Target {
  Object* object = nullptr;  // the object the name lies under, or null
  int column = -1;           // position in object->columns, or -1 when no column is registered
  IdSpan index;              // the sub-identifiers after the column
  bool wellFormed = false;   // index has the instance shape: depth and range, or .0 for scalars
};

// An instance found by get-next.
struct Position {
  const Object* object = nullptr;
  size_t column = 0;
  IdSpan index;               // points into a row key or kScalarIndex
  const Cell* row = nullptr;  // the row's cells; null for a scalar
};

IdSpan NameOf(const KX_OBJID_T& oid) {
  return IdSpan(oid.ids, oid.count);
}

bool HasRange(const KX_MIB_REG_T& reg) {
  return reg.lower != 0 || reg.upper != 0;
}

bool LengthAllowed(const KX_MIB_REG_T& reg, uint32_t length) {
  if (reg.lower == KX_ENCIPHERED_LOWER_BOUND)
    return reg.upper <= 0 || length <= uint32_t(reg.upper);
  if (!HasRange(reg)) return true;
  return int64_t{length} >= reg.lower && int64_t{length} <= reg.upper;
}

// The refusal that the registration alone gives a value for a writable object, or noError.
// `emptyRemoves` exempts the empty text of a string status column, which removes the row.
int CheckValue(const KX_MIB_REG_T& reg, const KX_ASN_VALUE_T& value, bool emptyRemoves) {
  if (value.type != reg.type) return KX_SNMP_WRONG_TYPE;
  switch (reg.type) {
    case KX_ASN_INTEGER:
      if (HasRange(reg) && (value.integer < reg.lower || value.integer > reg.upper)) {
        return KX_SNMP_WRONG_VALUE;
      }
      return KX_SNMP_NO_ERROR;
    case KX_ASN_UNSIGNED:
    case KX_ASN_COUNTER:
    case KX_ASN_TIMETICKS: {
      // These carry 32 unsigned bits; their bounds are read as unsigned too.
      uint32_t v = static_cast<uint32_t>(value.integer);
      if (HasRange(reg) && (v < uint32_t(reg.lower) || v > uint32_t(reg.upper))) {
        return KX_SNMP_WRONG_VALUE;
      }
      return KX_SNMP_NO_ERROR;
    }
    case KX_ASN_IPADDRESS:
      return value.octets.length == 4 ? KX_SNMP_NO_ERROR : KX_SNMP_WRONG_LENGTH;
    case KX_ASN_OCTET_STRING:
      if (emptyRemoves && value.octets.length == 0) return KX_SNMP_NO_ERROR;
      return LengthAllowed(reg, value.octets.length) ? KX_SNMP_NO_ERROR : KX_SNMP_WRONG_LENGTH;
    default:
      return KX_SNMP_NO_ERROR;
  }
}

// Whether an integer status style accepts the value as a request at all.
bool StatusRequestKnown(StatusStyle style, int32_t value) {
  if (style == StatusStyle::kRowStatus) {
    return value >= kActive && value <= kDestroy && value != kNotReady;
  }
  if (style == StatusStyle::kEntryStatus) {
    return value == kValid || value == kCreateRequest || value == kInvalid;
  }
  return true;
}

bool SupportedType(int32_t type) {
  switch (type) {
    case KX_ASN_INTEGER:
    case KX_ASN_OCTET_STRING:
    case KX_ASN_OBJECT_ID:
    case KX_ASN_IPADDRESS:
    case KX_ASN_COUNTER:
    case KX_ASN_UNSIGNED:
    case KX_ASN_TIMETICKS:
      return true;
    default:
      return false;
  }
}

char ScanLetter(int32_t type) {
  switch (type) {
    case KX_ASN_INTEGER:
      return 'i';
    case KX_ASN_OCTET_STRING:
      return 's';
    case KX_ASN_OBJECT_ID:
      return 'o';
    case KX_ASN_IPADDRESS:
      return 'a';
    case KX_ASN_TIMETICKS:
      return 't';
    default:
      return 'u';  // Unsigned32 and Counter
  }
}

// The cell a new row or a reset scalar starts with. Empty text is the type's zero value
// (0.0.0.0 for an IpAddress, which must always hold four octets).
bool DefaultCell(const ColumnDef& def, Cell* cell) {
  if (def.defaultText.empty()) {
    static const unsigned char kZeroAddress[4] = {0, 0, 0, 0};
    return def.type != KX_ASN_IPADDRESS || cell->SetBytes(kZeroAddress, 4);
  }
  KX_ASN_VALUE_T value;
  KXAsnValueInit(&value);
  bool ok = KXAsnValueScan(ScanLetter(def.type), def.defaultText.c_str(), &value) != 0;
  ok = ok &&
       (value.type == def.type || (def.type == KX_ASN_COUNTER && value.type == KX_ASN_UNSIGNED));
  ok = ok && (def.type != KX_ASN_IPADDRESS || value.octets.length == 4);
  ok = ok && CellFromValue(def.type, value, cell);
  KXAsnValueFree(&value);
  return ok;
}

std::string OidText(IdSpan oid) {
  std::string text;
  for (size_t i = 0; i < oid.count; ++i) {
    if (i > 0) text += '.';
    text += std::to_string(oid[i]);
  }
  return text;
}

bool Refuse(std::string* error, const std::string& what, const std::string& why) {
  if (error != nullptr) *error = what + ": " + why;
  return false;
}

}  // namespace

struct MemoryMib::Impl {
  std::map<Oid, std::unique_ptr<Object>, IdLess> objects;
  // Shared so that a hook that replaces itself while running stays alive until it returns.
  std::shared_ptr<const std::function<void(const KX_VARBIND_T&)>> hook;

  Object* Covering(IdSpan name) const;
  Target Resolve(IdSpan name) const;
  bool FirstIn(const Object& object, Position* pos) const;
  bool NextIn(const Object& object, IdSpan rest, Position* pos) const;
  bool Next(IdSpan name, Position* pos) const;

  int ApplySet(const KX_VARBIND_T& vb);
  int ApplyStatus(Object& table, IdSpan index, Cell cell);
  bool ParentRowExists(const Object& table, IdSpan index) const;
  void CreateRow(Object& table, IdSpan index, const Cell* status);
  void RemoveRow(Object& table, RowMap::iterator row);
  void RemoveRowsUnder(Object& table, IdSpan prefix);

  bool BuildColumns(const std::vector<ColumnDef>& defs, const std::string& what, Object* object,
                    std::string* error) const;
  bool CheckFree(IdSpan prefix, const std::string& what, std::string* error) const;
};

Object* MemoryMib::Impl::Covering(IdSpan name) const {
  auto it = objects.upper_bound(name);
  if (it == objects.begin()) return nullptr;
  --it;
  return name.StartsWith(it->first) ? it->second.get() : nullptr;
}

MemoryMib::~MemoryMib() = default;
MemoryMib::MemoryMib() : impl_(new Impl) {}

Target MemoryMib::Impl::Resolve(IdSpan name) const {
  Target target;
  target.object = Covering(name);
  if (target.object == nullptr) return target;
  const Object& object = *target.object;
  size_t at = object.prefix.size();
  if (name.count <= at) return target;
  target.column = object.FindColumn(name[at]);
  target.index = name.From(at + 1);
  if (!object.isTable) {
    target.wellFormed = target.index.count == 1 && target.index[0] == 0;
    return target;
  }
  target.wellFormed = target.index.count == object.indexDepth;
  for (size_t i = 0; target.wellFormed && i < target.index.count; ++i) {
    target.wellFormed = target.index[i] >= object.indexMin && target.index[i] <= object.indexMax;
  }
  return target;
}

int MemoryMib::Get(KX_VARBIND_T* vb) {
  if (vb == nullptr) return 0;
  Target target = impl_->Resolve(NameOf(vb->name));
  if (target.column < 0 || !target.wellFormed) {
    KXVarBindFreeValue(vb);
    return 0;
  }
  const Object& object = *target.object;
  const KX_MIB_REG_T& reg = object.columns[target.column].reg;
  if (!object.isTable) return CellToValue(reg.type, object.scalars[target.column], &vb->value);
  auto row = object.rows.find(target.index);
  if (row == object.rows.end()) {
    KXVarBindSetType(vb, KX_ASN_NO_SUCH_INSTANCE);
    return 1;
  }
  return CellToValue(reg.type, row->second[target.column], &vb->value);
}

bool MemoryMib::Impl::FirstIn(const Object& object, Position* pos) const {
  if (object.columns.empty()) return false;
  if (object.isTable) {
    if (object.rows.empty()) return false;
    *pos =
        Position{&object, 0, object.rows.begin()->first.span(), object.rows.begin()->second.get()};
  } else {
    *pos = Position{&object, 0, IdSpan(kScalarIndex, 1), nullptr};
  }
  return true;
}

// `rest` is the part of the name after the object's prefix.
bool MemoryMib::Impl::NextIn(const Object& object, IdSpan rest, Position* pos) const {
  if (rest.count == 0) return FirstIn(object, pos);
  size_t column = object.LowerColumn(rest[0]);
  bool sameColumn = column < object.columns.size() && object.columns[column].number == rest[0];
  if (object.isTable) {
    if (object.rows.empty()) return false;
    if (sameColumn) {
      auto row = object.rows.upper_bound(rest.From(1));
      if (row != object.rows.end()) {
        *pos = Position{&object, column, row->first.span(), row->second.get()};
        return true;
      }
      ++column;
    }
    if (column >= object.columns.size()) return false;
    *pos = Position{&object, column, object.rows.begin()->first.span(),
                    object.rows.begin()->second.get()};
    return true;
  }
  IdSpan scalarIndex(kScalarIndex, 1);
  if (sameColumn && CompareIds(scalarIndex, rest.From(1)) <= 0) ++column;
  if (column >= object.columns.size()) return false;
  *pos = Position{&object, column, scalarIndex, nullptr};
  return true;
}

bool MemoryMib::Impl::Next(IdSpan name, Position* pos) const {
  auto it = objects.upper_bound(name);
  if (it != objects.begin()) {
    auto under = std::prev(it);
    if (name.StartsWith(under->first) &&
        NextIn(*under->second, name.From(under->first.size()), pos)) {
      return true;
    }
  }
  for (; it != objects.end(); ++it) {
    if (FirstIn(*it->second, pos)) return true;
  }
  return false;
}

int MemoryMib::GetNext(KX_VARBIND_T* vb) {
  if (vb == nullptr) return 0;
  Position pos;
  if (!impl_->Next(NameOf(vb->name), &pos)) {
    KXVarBindSetType(vb, KX_ASN_END_OF_MIB_VIEW);
    return 1;
  }
  const Object& object = *pos.object;
  const Column& column = object.columns[pos.column];
  size_t at = object.prefix.size();
  size_t count = at + 1 + pos.index.count;
  if (count > UINT32_MAX || !KXObjidRealloc(&vb->name, static_cast<uint32_t>(count))) {
    KXVarBindFreeValue(vb);
    return 0;
  }
  std::copy(object.prefix.begin(), object.prefix.end(), vb->name.ids);
  vb->name.ids[at] = column.number;
  std::copy(pos.index.ids, pos.index.ids + pos.index.count, vb->name.ids + at + 1);
  const Cell& cell = pos.row != nullptr ? pos.row[pos.column] : object.scalars[pos.column];
  return CellToValue(column.reg.type, cell, &vb->value);
}

bool MemoryMib::Impl::ParentRowExists(const Object& table, IdSpan index) const {
  if (table.parent == nullptr) return true;
  return table.parent->rows.count(IdSpan(index.ids, index.count - 1)) > 0;
}

void MemoryMib::Impl::CreateRow(Object& table, IdSpan index, const Cell* status) {
  size_t width = table.columns.size();
  Row row(new Cell[width]);
  for (size_t i = 0; i < width; ++i) row[i] = table.defaults[i];
  if (status != nullptr && table.statusPos >= 0) row[table.statusPos] = *status;
  table.rows.emplace(IndexKey(index), std::move(row));
}

void MemoryMib::Impl::RemoveRowsUnder(Object& table, IdSpan prefix) {
  auto row = table.rows.lower_bound(prefix);
  while (row != table.rows.end() && row->first.span().StartsWith(prefix)) {
    for (Object* child : table.children) RemoveRowsUnder(*child, row->first.span());
    row = table.rows.erase(row);
  }
}

void MemoryMib::Impl::RemoveRow(Object& table, RowMap::iterator row) {
  for (Object* child : table.children) RemoveRowsUnder(*child, row->first.span());
  table.rows.erase(row);
}

// Runs a status request on a table row; `cell` holds the value, already checked against the
// registration and, for integer styles, known as a request.
int MemoryMib::Impl::ApplyStatus(Object& table, IdSpan index, Cell cell) {
  auto row = table.rows.find(index);
  bool exists = row != table.rows.end();
  int32_t request = cell.integer();
  bool creates = false;
  bool removes = false;
  switch (table.statusStyle) {
    case StatusStyle::kRowStatus:
      creates = request == kCreateAndGo || request == kCreateAndWait;
      removes = request == kDestroy;
      if (creates) cell.set_integer(request == kCreateAndGo ? kActive : kNotInService);
      break;
    case StatusStyle::kEntryStatus:
      creates = request == kCreateRequest;
      removes = request == kInvalid;
      if (creates) cell.set_integer(kUnderCreation);
      break;
    case StatusStyle::kStringStatus:
      creates = cell.BytesEqual(kNewText, kNewTextLength);
      removes = cell.size() == 0;
      break;
    case StatusStyle::kNone:
      break;
  }
  if (removes) {
    if (exists) RemoveRow(table, row);
    return KX_SNMP_NO_ERROR;
  }
  if (creates) {
    if (exists) return KX_SNMP_INCONSISTENT_VALUE;
    if (!ParentRowExists(table, index)) return KX_SNMP_NO_CREATION;
    CreateRow(table, index, &cell);
    return KX_SNMP_NO_ERROR;
  }
  if (!exists) return KX_SNMP_INCONSISTENT_VALUE;
  row->second[table.statusPos] = std::move(cell);
  return KX_SNMP_NO_ERROR;
}

// The checks follow the order in which an SNMP agent refuses a set: an unknown object, a
// read-only object, then the value against the registration, then the instance's shape, then
// whether the row exists or can come into being.
int MemoryMib::Impl::ApplySet(const KX_VARBIND_T& vb) {
  Target target = Resolve(NameOf(vb.name));
  if (target.column < 0) return KX_SNMP_NO_CREATION;
  Object& object = *target.object;
  const KX_MIB_REG_T& reg = object.columns[target.column].reg;
  if (reg.access == KX_ACCESS_READ_ONLY) return KX_SNMP_NOT_WRITABLE;
  bool isStatus = object.isTable && target.column == object.statusPos;
  bool emptyRemoves = isStatus && object.statusStyle == StatusStyle::kStringStatus;
  int refusal = CheckValue(reg, vb.value, emptyRemoves);
  if (refusal != KX_SNMP_NO_ERROR) return refusal;
  if (isStatus && !StatusRequestKnown(object.statusStyle, vb.value.integer)) {
    return KX_SNMP_WRONG_VALUE;
  }
  if (!target.wellFormed) return KX_SNMP_NO_CREATION;

  Cell cell;
  if (!CellFromValue(reg.type, vb.value, &cell)) return kUnprocessable;
  if (!object.isTable) {
    object.scalars[target.column] = std::move(cell);
    return KX_SNMP_NO_ERROR;
  }
  if (isStatus) return ApplyStatus(object, target.index, std::move(cell));

  auto row = object.rows.find(target.index);
  if (row == object.rows.end()) {
    if (!object.createOnFirstSet) {
      // A status table's row can be created, just not by this column.
      return object.statusStyle == StatusStyle::kNone ? KX_SNMP_NO_CREATION
                                                      : KX_SNMP_INCONSISTENT_NAME;
    }
    if (!ParentRowExists(object, target.index)) return KX_SNMP_NO_CREATION;
    Cell created;
    if (object.statusPos >= 0) {
      // An implicitly created row of a status table starts as createAndWait would leave it.
      if (object.statusStyle == StatusStyle::kRowStatus) created.set_integer(kNotInService);
      if (object.statusStyle == StatusStyle::kEntryStatus) created.set_integer(kUnderCreation);
      if (object.statusStyle == StatusStyle::kStringStatus) {
        if (!created.SetBytes(kNewText, kNewTextLength)) return kUnprocessable;
      }
    }
    CreateRow(object, target.index, object.statusPos >= 0 ? &created : nullptr);
    row = object.rows.find(target.index);
  }
  row->second[target.column] = std::move(cell);
  return KX_SNMP_NO_ERROR;
}

int MemoryMib::Set(KX_VARBIND_T* vb, int* errorStatus) {
  if (vb == nullptr || errorStatus == nullptr) return 0;
  if (vb->name.count > 0 && vb->name.ids == nullptr) return 0;
  int status = impl_->ApplySet(*vb);
  if (status == kUnprocessable) return 0;
  *errorStatus = status;
  if (status == KX_SNMP_NO_ERROR && impl_->hook) {
    auto hook = impl_->hook;  // the hook may replace itself; keep this one alive
    (*hook)(*vb);
  }
  return 1;
}

const KX_MIB_REG_T* MemoryMib::GetReg(const uint32_t* ids, uint32_t count) {
  if (ids == nullptr && count > 0) return nullptr;
  Target target = impl_->Resolve(IdSpan(ids, count));
  if (target.column < 0) return nullptr;
  return &target.object->columns[target.column].reg;
}

bool MemoryMib::Impl::BuildColumns(const std::vector<ColumnDef>& defs, const std::string& what,
                                   Object* object, std::string* error) const {
  if (defs.empty()) return Refuse(error, what, "no columns");
  std::vector<const ColumnDef*> sorted;
  for (const ColumnDef& def : defs) sorted.push_back(&def);
  std::sort(sorted.begin(), sorted.end(),
            [](const ColumnDef* a, const ColumnDef* b) { return a->column < b->column; });
  for (size_t i = 0; i < sorted.size(); ++i) {
    const ColumnDef& def = *sorted[i];
    std::string column = "column " + std::to_string(def.column);
    if (i > 0 && sorted[i - 1]->column == def.column) {
      return Refuse(error, what, "duplicate " + column);
    }
    if (!SupportedType(def.type)) {
      return Refuse(error, what, column + " has unsupported type " + std::to_string(def.type));
    }
    if (def.access < KX_ACCESS_READ_ONLY || def.access > KX_ACCESS_READ_CREATE) {
      return Refuse(error, what, column + " has unknown access " + std::to_string(def.access));
    }
    Cell initial;
    if (!DefaultCell(def, &initial)) {
      return Refuse(error, what,
                    column + " default '" + def.defaultText + "' does not scan for its type");
    }
    object->columns.push_back(Column{def.column, {def.type, def.lower, def.upper, def.access}});
    object->defaults.push_back(std::move(initial));
  }
  return true;
}

bool MemoryMib::Impl::CheckFree(IdSpan prefix, const std::string& what, std::string* error) const {
  if (prefix.count == 0) return Refuse(error, what, "empty object identifier");
  auto it = objects.lower_bound(prefix);
  if (it != objects.end() && IdSpan(it->first).StartsWith(prefix)) {
    bool same = it->first.size() == prefix.count;
    return Refuse(
        error, what,
        same ? "already registered" : "overlaps the registration of " + OidText(it->first));
  }
  if (it != objects.begin() && prefix.StartsWith(std::prev(it)->first)) {
    return Refuse(error, what, "overlaps the registration of " + OidText(std::prev(it)->first));
  }
  return true;
}

bool MemoryMib::AddTable(const TableDef& def, std::string* error) {
  std::string what = "table " + OidText(def.entry);
  if (!impl_->CheckFree(def.entry, what, error)) return false;
  if (def.indexDepth == 0) return Refuse(error, what, "index depth 0");
  if (def.indexMin > def.indexMax) return Refuse(error, what, "index range is empty");
  auto object = std::make_unique<Object>();
  object->prefix = def.entry;
  object->isTable = true;
  object->indexDepth = def.indexDepth;
  object->indexMin = def.indexMin;
  object->indexMax = def.indexMax;
  object->statusStyle = def.statusStyle;
  object->createOnFirstSet = def.createOnFirstSet;
  if (!impl_->BuildColumns(def.columns, what, object.get(), error)) return false;

  if (def.statusStyle != StatusStyle::kNone) {
    std::string status = "status column " + std::to_string(def.statusColumn);
    object->statusPos = object->FindColumn(def.statusColumn);
    if (object->statusPos < 0) return Refuse(error, what, status + " is not among the columns");
    const KX_MIB_REG_T& reg = object->columns[object->statusPos].reg;
    int32_t wanted =
        def.statusStyle == StatusStyle::kStringStatus ? KX_ASN_OCTET_STRING : KX_ASN_INTEGER;
    if (reg.type != wanted)
      return Refuse(error, what, status + " has the wrong type for its style");
    if (reg.access == KX_ACCESS_READ_ONLY) return Refuse(error, what, status + " is read-only");
  } else if (def.statusColumn != 0) {
    return Refuse(error, what, "status column given without a status style");
  }

  if (!def.parentEntry.empty()) {
    auto parent = impl_->objects.find(IdSpan(def.parentEntry));
    if (parent == impl_->objects.end() || !parent->second->isTable) {
      return Refuse(error, what, "parent table " + OidText(def.parentEntry) + " is unknown");
    }
    if (parent->second->indexDepth + 1 != def.indexDepth) {
      return Refuse(error, what,
                    "index depth " + std::to_string(def.indexDepth) + " is not parent's " +
                        std::to_string(parent->second->indexDepth) + " + 1");
    }
    object->parent = parent->second.get();
    object->parent->children.push_back(object.get());
  }
  impl_->objects.emplace(def.entry, std::move(object));
  return true;
}

bool MemoryMib::AddScalarGroup(const ScalarGroupDef& def, std::string* error) {
  std::string what = "scalar group " + OidText(def.group);
  if (!impl_->CheckFree(def.group, what, error)) return false;
  auto object = std::make_unique<Object>();
  object->prefix = def.group;
  if (!impl_->BuildColumns(def.scalars, what, object.get(), error)) return false;
  object->scalars = object->defaults;
  impl_->objects.emplace(def.group, std::move(object));
  return true;
}

void MemoryMib::Clear() {
  for (auto& entry : impl_->objects) {
    Object& object = *entry.second;
    object.rows.clear();
    if (!object.isTable) object.scalars = object.defaults;
  }
}

void MemoryMib::SetSetHook(std::function<void(const KX_VARBIND_T&)> hook) {
  if (hook) {
    impl_->hook = std::make_shared<const std::function<void(const KX_VARBIND_T&)>>(std::move(hook));
  } else {
    impl_->hook.reset();
  }
}

}  // namespace kxrt
