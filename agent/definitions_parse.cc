// Reading the JSON form of table definitions into TableDefinition records. Everything a single
// table can get wrong on its own is refused here; what needs several tables (parents, duplicate
// names, overlapping OIDs) is checked in definitions_check.cc.

#include <functional>
#include <limits>
#include <set>

#include <nlohmann/json.hpp>

#include "definitions.h"
#include "definitions_internal.h"
#include "file_util.h"
#include "kx_host.h"

namespace kxagent {
namespace {

using Json = nlohmann::ordered_json;

struct NamedValue {
  const char* name;
  int value;
};

const NamedValue kTypes[] = {
    {"integer", KX_ASN_INTEGER},     {"unsigned", KX_ASN_UNSIGNED}, {"timeticks", KX_ASN_TIMETICKS},
    {"octets", KX_ASN_OCTET_STRING}, {"oid", KX_ASN_OBJECT_ID},     {"ipaddress", KX_ASN_IPADDRESS},
};
const NamedValue kAccesses[] = {{"read-only", KX_ACCESS_READ_ONLY},
                                {"read-write", KX_ACCESS_READ_WRITE},
                                {"read-create", KX_ACCESS_READ_CREATE}};
const NamedValue kKinds[] = {{"status", static_cast<int>(TableKind::kStatus)},
                             {"child", static_cast<int>(TableKind::kChild)},
                             {"scalars", static_cast<int>(TableKind::kScalars)},
                             {"indexed", static_cast<int>(TableKind::kIndexed)}};
const NamedValue kStyles[] = {{"EntryStatus", static_cast<int>(StatusStyle::kEntryStatus)},
                              {"RowStatus", static_cast<int>(StatusStyle::kRowStatus)},
                              {"StringStatus", static_cast<int>(StatusStyle::kStringStatus)}};
const NamedValue kAdders[] = {{"int", static_cast<int>(Adder::kInt)},
                              {"unsigned", static_cast<int>(Adder::kUnsigned)},
                              {"string", static_cast<int>(Adder::kString)}};
const NamedValue kFormats[] = {{"text", static_cast<int>(StringFormat::kText)},
                               {"hex", static_cast<int>(StringFormat::kHex)},
                               {"decimal", static_cast<int>(StringFormat::kDecimal)}};

// Reads one JSON object field by field, remembering where it is for messages.
class ObjectReader {
 public:
  ObjectReader(const Json& value, std::string path) : value_(value), path_(std::move(path)) {
    if (!value_.is_object()) throw DefinitionError(path_, "expected an object");
  }

  // Refuses fields outside allowed ("comment" is always allowed and ignored), so that a
  // misspelt field cannot be silently ignored.
  void AllowOnly(const std::set<std::string>& allowed, const std::string& what) const {
    for (auto it = value_.begin(); it != value_.end(); ++it) {
      if (it.key() == "comment" || allowed.count(it.key())) continue;
      throw DefinitionError(path_, "unknown field " + Quote(it.key()) + " in " + what);
    }
  }

  bool Has(const std::string& key) const { return value_.contains(key); }
  std::string PathOf(const std::string& key) const { return JoinPath(path_, key); }
  const std::string& path() const { return path_; }

  const Json& Field(const std::string& key) const {
    if (!Has(key)) throw DefinitionError(path_, "missing field " + Quote(key));
    return value_.at(key);
  }

  std::string String(const std::string& key, const std::string& fallback = "",
                     bool required = false) const {
    if (!Has(key)) {
      if (required) Field(key);
      return fallback;
    }
    const Json& v = value_.at(key);
    if (!v.is_string()) throw DefinitionError(PathOf(key), "expected a string");
    return v.get<std::string>();
  }

  bool Bool(const std::string& key, bool fallback) const {
    if (!Has(key)) return fallback;
    const Json& v = value_.at(key);
    if (!v.is_boolean()) throw DefinitionError(PathOf(key), "expected true or false");
    return v.get<bool>();
  }

  // An integer in [lo, hi]; required when no fallback applies.
  int64_t Integer(const std::string& key, int64_t lo, int64_t hi) const {
    return ReadInteger(Field(key), PathOf(key), lo, hi);
  }

  // One of the names of table, as its value.
  template <size_t N>
  int Named(const std::string& key, const NamedValue (&table)[N], const std::string& what) const {
    std::string text = String(key, "", true);
    for (const NamedValue& entry : table) {
      if (text == entry.name) return entry.value;
    }
    std::string expected;
    for (const NamedValue& entry : table) {
      expected += (expected.empty() ? "" : ", ") + std::string(entry.name);
    }
    throw DefinitionError(PathOf(key),
                          "unknown " + what + " " + Quote(text) + " (expected " + expected + ")");
  }

  // A two-element array [lo, hi] of integers within [min, max], lo <= hi.
  std::pair<int64_t, int64_t> Range(const std::string& key, int64_t min, int64_t max) const {
    const Json& v = Field(key);
    std::string path = PathOf(key);
    if (!v.is_array() || v.size() != 2) {
      throw DefinitionError(path, "expected [lowest, highest]");
    }
    int64_t lo = ReadInteger(v[0], path + "[0]", min, max);
    int64_t hi = ReadInteger(v[1], path + "[1]", min, max);
    if (lo > hi) throw DefinitionError(path, "the lowest value is above the highest");
    return {lo, hi};
  }

  static int64_t ReadInteger(const Json& v, const std::string& path, int64_t lo, int64_t hi) {
    bool ok = v.is_number_integer();
    if (ok && v.is_number_unsigned()) {
      ok = v.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    }
    if (!ok) throw DefinitionError(path, "expected a whole number");
    int64_t n = v.get<int64_t>();
    if (n < lo || n > hi) {
      throw DefinitionError(path, "the number " + std::to_string(n) + " is outside " +
                                      std::to_string(lo) + ".." + std::to_string(hi));
    }
    return n;
  }

 private:
  const Json& value_;
  std::string path_;
};

const int64_t kMaxColumn = std::numeric_limits<int32_t>::max();

const char* TypeName(int32_t type) {
  for (const NamedValue& entry : kTypes) {
    if (entry.value == type) return entry.name;
  }
  return "?";
}

bool IsNumeric(int32_t type) {
  return type == KX_ASN_INTEGER || type == KX_ASN_UNSIGNED || type == KX_ASN_TIMETICKS;
}

void CheckName(const std::string& name, const std::string& path, const std::string& what) {
  if (!IsPlainName(name)) {
    throw DefinitionError(path, "the " + what + " " + Quote(name) +
                                    " must start with a letter and hold only letters, digits, "
                                    "'_', '-' and '.'");
  }
}

// Reads a default into the text that the MIB scans for the column's type. Integers may be given
// as a number or as one of the column's enumeration names.
std::string ReadDefault(const Json& v, const std::string& path, const ColumnDefinition& col) {
  if (IsNumeric(col.type)) {
    if (v.is_string() && col.type == KX_ASN_INTEGER) {
      for (const auto& e : col.enums) {
        if (e.first == v.get<std::string>())
          return std::to_string(e.second < 0 ? -e.second : e.second);
      }
      throw DefinitionError(path, "the default " + Quote(v.get<std::string>()) +
                                      " is not an enumeration name of the column");
    }
    int64_t lo = col.type == KX_ASN_INTEGER ? std::numeric_limits<int32_t>::min() : 0;
    int64_t hi = col.type == KX_ASN_INTEGER ? std::numeric_limits<int32_t>::max() : 0xffffffffLL;
    if (col.hasRange) {
      lo = col.lower;
      hi = col.upper;
    }
    return std::to_string(ObjectReader::ReadInteger(v, path, lo, hi));
  }
  if (!v.is_string()) throw DefinitionError(path, "expected a string");
  std::string text = v.get<std::string>();
  if (col.type == KX_ASN_OBJECT_ID) {
    std::vector<uint32_t> ids;
    if (!ParseOid(text, &ids))
      throw DefinitionError(path, "not an object identifier: " + Quote(text));
  } else if (col.type == KX_ASN_IPADDRESS) {
    if (!IsDottedQuad(text)) throw DefinitionError(path, "not an IP address: " + Quote(text));
  } else if (col.hasRange && !col.enciphered &&
             (text.size() < static_cast<size_t>(col.lower) ||
              text.size() > static_cast<size_t>(col.upper))) {
    throw DefinitionError(path, "the default is " + std::to_string(text.size()) +
                                    " bytes long, outside the column's size " +
                                    std::to_string(col.lower) + ".." + std::to_string(col.upper));
  }
  if (text.find('\0') != std::string::npos) throw DefinitionError(path, "NUL in the default");
  return text;
}

void ReadEnums(const ObjectReader& r, ColumnDefinition* col) {
  const Json& v = r.Field("enums");
  std::string path = r.PathOf("enums");
  if (!v.is_object()) throw DefinitionError(path, "expected an object of name: number");
  if (col->type != KX_ASN_INTEGER) {
    throw DefinitionError(
        path, "enumerations need an integer column, not " + std::string(TypeName(col->type)));
  }
  for (auto it = v.begin(); it != v.end(); ++it) {
    std::string at = JoinPath(path, it.key());
    CheckName(it.key(), at, "enumeration name");
    int64_t n = ObjectReader::ReadInteger(it.value(), at, -std::numeric_limits<int32_t>::max(),
                                          std::numeric_limits<int32_t>::max());
    int64_t stands = n < 0 ? -n : n;  // an input-only name stands for the positive value
    if (col->hasRange && (stands < col->lower || stands > col->upper)) {
      throw DefinitionError(at, "the value " + std::to_string(stands) +
                                    " is outside the column's range " + std::to_string(col->lower) +
                                    ".." + std::to_string(col->upper));
    }
    col->enums.emplace_back(it.key(), static_cast<int>(n));
  }
}

Adder DefaultAdder(int32_t type) {
  if (type == KX_ASN_INTEGER) return Adder::kInt;
  if (IsNumeric(type)) return Adder::kUnsigned;
  return Adder::kString;
}

ColumnDefinition ReadColumn(const Json& v, const std::string& path, TableKind kind) {
  ObjectReader r(v, path);
  r.AllowOnly({"number", "type", "access", "range", "size", "enciphered", "default", "property",
               "adder", "help", "enums", "aliases", "format", "write"},
              "a column");
  ColumnDefinition col;
  col.number = static_cast<uint32_t>(r.Integer("number", 1, kMaxColumn));
  col.type = r.Named("type", kTypes, "type");
  col.access = r.Has("access")               ? r.Named("access", kAccesses, "access")
               : kind == TableKind::kScalars ? KX_ACCESS_READ_WRITE
                                             : KX_ACCESS_READ_CREATE;
  if (kind == TableKind::kScalars && col.access == KX_ACCESS_READ_CREATE) {
    throw DefinitionError(r.PathOf("access"), "a scalar cannot be read-create");
  }

  if (r.Has("range")) {
    if (!IsNumeric(col.type)) {
      throw DefinitionError(r.PathOf("range"),
                            "a range needs a numeric column (use \"size\" for octets)");
    }
    // The MIB keeps bounds as signed 32-bit numbers and reads them unsigned for the unsigned
    // types, so those are limited to the values both readings share.
    int64_t lowest = col.type == KX_ASN_INTEGER ? std::numeric_limits<int32_t>::min() : 0;
    auto range = r.Range("range", lowest, std::numeric_limits<int32_t>::max());
    col.hasRange = true;
    col.lower = static_cast<int32_t>(range.first);
    col.upper = static_cast<int32_t>(range.second);
  }
  if (r.Has("size")) {
    if (col.type != KX_ASN_OCTET_STRING) {
      throw DefinitionError(r.PathOf("size"), "a size needs an octets column");
    }
    auto size = r.Range("size", 0, 65535);
    col.hasRange = true;
    col.lower = static_cast<int32_t>(size.first);
    col.upper = static_cast<int32_t>(size.second);
  }
  col.enciphered = r.Bool("enciphered", false);
  if (col.enciphered && col.type != KX_ASN_OCTET_STRING) {
    throw DefinitionError(r.PathOf("enciphered"), "only an octets column can be enciphered");
  }

  col.property = r.String("property");
  if (r.Has("property")) {
    CheckName(col.property, r.PathOf("property"), "property name");
    if (col.property == "index" || col.property == "owner") {
      throw DefinitionError(r.PathOf("property"),
                            "the property name " + Quote(col.property) +
                                " is taken by the command keyword of that name");
    }
    if (col.access == KX_ACCESS_READ_ONLY) {
      throw DefinitionError(r.PathOf("property"), "a read-only column cannot be a property");
    }
  } else {
    for (const char* key : {"adder", "help", "enums", "aliases", "format", "write"}) {
      if (r.Has(key)) {
        throw DefinitionError(
            r.PathOf(key), std::string("\"") + key + "\" needs a \"property\" in the same column");
      }
    }
  }

  col.adder = r.Has("adder") ? static_cast<Adder>(r.Named("adder", kAdders, "adder"))
                             : DefaultAdder(col.type);
  if ((col.adder == Adder::kString) == IsNumeric(col.type)) {
    throw DefinitionError(r.PathOf("adder"), "the adder " + Quote(r.String("adder")) +
                                                 " does not fit a " + TypeName(col.type) +
                                                 " column");
  }
  col.help = r.String("help");
  if (col.help.find_first_of("\r\n") != std::string::npos) {
    throw DefinitionError(r.PathOf("help"), "the help must be one line");
  }
  if (r.Has("enums")) ReadEnums(r, &col);
  if (r.Has("aliases")) {
    const Json& aliases = r.Field("aliases");
    if (!aliases.is_array()) throw DefinitionError(r.PathOf("aliases"), "expected an array");
    for (size_t i = 0; i < aliases.size(); ++i) {
      std::string at = r.PathOf("aliases") + "[" + std::to_string(i) + "]";
      if (!aliases[i].is_string()) throw DefinitionError(at, "expected a string");
      CheckName(aliases[i].get<std::string>(), at, "alias");
      col.aliases.push_back(aliases[i].get<std::string>());
    }
  }
  if (r.Has("format")) {
    if (col.type != KX_ASN_OCTET_STRING) {
      throw DefinitionError(r.PathOf("format"), "a format needs an octets column");
    }
    if (col.enciphered) {
      throw DefinitionError(r.PathOf("format"), "an enciphered column takes no format");
    }
    col.format = static_cast<StringFormat>(r.Named("format", kFormats, "format"));
  }
  col.write = r.Bool("write", true);
  if (r.Has("default")) col.defaultText = ReadDefault(r.Field("default"), r.PathOf("default"), col);
  return col;
}

// Fields that only some kinds of table take.
struct KindField {
  const char* field;
  bool status, child, scalars, indexed;
};
const KindField kKindFields[] = {
    {"status", true, false, false, false},
    {"owner_column", true, false, false, false},
    {"row_column", false, false, false, true},
    {"parent", false, true, false, false},
    {"child_size_column", true, true, false, false},
    {"create_on_first_set", true, true, false, true},
    {"index_range", true, true, false, true},
};

void CheckKindFields(const ObjectReader& r, TableKind kind, const std::string& kindName) {
  for (const KindField& f : kKindFields) {
    bool allowed = kind == TableKind::kStatus    ? f.status
                   : kind == TableKind::kChild   ? f.child
                   : kind == TableKind::kScalars ? f.scalars
                                                 : f.indexed;
    if (!allowed && r.Has(f.field)) {
      throw DefinitionError(r.PathOf(f.field), std::string("\"") + f.field +
                                                   "\" does not apply to a " + kindName + " table");
    }
  }
}

TableDefinition ReadTable(const Json& v, const std::string& path) {
  ObjectReader r(v, path);
  r.AllowOnly({"command", "description", "kind", "oid", "columns", "status", "owner_column",
               "row_column", "parent", "child_size_column", "create_on_first_set", "index_range"},
              "a table");
  TableDefinition t;
  t.command = r.String("command", "", true);
  CheckName(t.command, r.PathOf("command"), "command name");
  if (IsReservedCommandName(t.command)) {
    throw DefinitionError(r.PathOf("command"),
                          "the command name " + Quote(t.command) + " is taken by the agent");
  }
  t.description = r.String("description");
  if (t.description.find_first_of("\r\n") != std::string::npos) {
    throw DefinitionError(r.PathOf("description"), "the description must be one line");
  }
  t.kind = static_cast<TableKind>(r.Named("kind", kKinds, "kind"));
  CheckKindFields(r, t.kind, r.String("kind"));

  t.oidText = r.String("oid", "", true);
  if (!ParseOid(t.oidText, &t.oid) || t.oid.size() < 2) {
    throw DefinitionError(r.PathOf("oid"), "not an object identifier: " + Quote(t.oidText) +
                                               " (expected dotted numbers such as 1.3.6.1.4.1)");
  }

  const Json& columns = r.Field("columns");
  if (!columns.is_array() || columns.empty()) {
    throw DefinitionError(r.PathOf("columns"), "expected a non-empty array of columns");
  }
  for (size_t i = 0; i < columns.size(); ++i) {
    t.columns.push_back(
        ReadColumn(columns[i], r.PathOf("columns") + "[" + std::to_string(i) + "]", t.kind));
  }

  if (t.kind == TableKind::kStatus) {
    ObjectReader status(r.Field("status"), r.PathOf("status"));
    status.AllowOnly({"column", "style"}, "a status");
    t.statusColumn = static_cast<uint32_t>(status.Integer("column", 1, kMaxColumn));
    t.statusStyle = static_cast<StatusStyle>(status.Named("style", kStyles, "status style"));
    if (r.Has("owner_column")) {
      t.ownerColumn = static_cast<uint32_t>(r.Integer("owner_column", 1, kMaxColumn));
    }
  }
  if (t.kind == TableKind::kIndexed) {
    t.rowColumn = static_cast<uint32_t>(r.Integer("row_column", 1, kMaxColumn));
  }
  if (t.kind == TableKind::kChild) {
    t.parent = r.String("parent", "", true);
  }
  if (r.Has("child_size_column")) {
    t.childSizeColumn = static_cast<uint32_t>(r.Integer("child_size_column", 1, kMaxColumn));
  }
  // Child and indexed tables get their rows only by column sets: the configurator writes no
  // row status for them.
  bool mustCreate = t.kind == TableKind::kChild || t.kind == TableKind::kIndexed;
  t.createOnFirstSet = r.Bool("create_on_first_set", mustCreate);
  if (mustCreate && !t.createOnFirstSet) {
    throw DefinitionError(r.PathOf("create_on_first_set"),
                          "a " + r.String("kind") +
                              " table has no status column, so its rows must be created on the "
                              "first column set");
  }
  if (r.Has("index_range")) {
    auto range = r.Range("index_range", 1, std::numeric_limits<int32_t>::max());
    t.indexMin = static_cast<uint32_t>(range.first);
    t.indexMax = static_cast<uint32_t>(range.second);
  }
  CheckTableColumns(t, path);
  return t;
}

// 1-based line and column of a byte offset, for syntax errors.
std::string LineColumn(const std::string& text, size_t offset) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

// nlohmann's message without its "[json.exception...] parse error at line L, column C: " head.
std::string SyntaxProblem(const nlohmann::json::parse_error& e) {
  std::string what = e.what();
  size_t at = what.find("parse error");
  if (at != std::string::npos) {
    size_t colon = what.find(": ", at);
    if (colon != std::string::npos) return what.substr(colon + 2);
  }
  return what;
}

// Finds a field that appears twice in one object while the text is parsed: the parser itself
// would silently keep the last one, hiding a mistake.
class DuplicateKeyFinder {
 public:
  bool operator()(int /*depth*/, Json::parse_event_t event, Json& parsed) {
    switch (event) {
      case Json::parse_event_t::object_start:
      case Json::parse_event_t::array_start:
        frames_.emplace_back();
        frames_.back().array = event == Json::parse_event_t::array_start;
        frames_.back().path = ChildPath(frames_.size() - 1);
        break;
      case Json::parse_event_t::key: {
        Frame& frame = frames_.back();
        frame.key = parsed.get<std::string>();
        if (!frame.keys.insert(frame.key).second && duplicate_.empty()) {
          duplicate_ = JoinPath(frame.path, frame.key);
        }
        break;
      }
      case Json::parse_event_t::object_end:
      case Json::parse_event_t::array_end:
        frames_.pop_back();
        Advance();
        break;
      case Json::parse_event_t::value:
        Advance();
        break;
    }
    return true;
  }
  // The path of the first repeated field, or empty.
  const std::string& duplicate() const { return duplicate_; }

 private:
  struct Frame {
    bool array = false;
    std::string path;
    size_t index = 0;  // arrays: the element being read
    std::string key;   // objects: the field being read
    std::set<std::string> keys;
  };
  // The path of the container at frames_[level], from the frame that holds it.
  std::string ChildPath(size_t level) const {
    if (level == 0) return "";
    const Frame& parent = frames_[level - 1];
    return parent.array ? parent.path + "[" + std::to_string(parent.index) + "]"
                        : JoinPath(parent.path, parent.key);
  }
  void Advance() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
  }
  std::vector<Frame> frames_;
  std::string duplicate_;
};

}  // namespace

DefinitionError::DefinitionError(std::string path, std::string problem)
    : std::runtime_error(problem), path_(std::move(path)) {}

bool ParseDefinitions(const std::string& text, const std::string& source, Definitions* out,
                      std::string* error) {
  Json root;
  DuplicateKeyFinder duplicates;
  try {
    root = Json::parse(text, std::ref(duplicates));
  } catch (const nlohmann::json::parse_error& e) {
    // byte is one past the offending character (0 when nothing could be read at all).
    size_t offset = e.byte > 0 ? e.byte - 1 : 0;
    *error = source + ":" + LineColumn(text, offset) + ": bad JSON: " + OneLine(SyntaxProblem(e));
    return false;
  }
  if (!duplicates.duplicate().empty()) {
    *error = source + ": " + duplicates.duplicate() + ": the field appears twice in its object";
    return false;
  }
  try {
    ObjectReader r(root, "");
    r.AllowOnly({"tables"}, "the definitions");
    const Json& tables = r.Field("tables");
    if (!tables.is_array() || tables.empty()) {
      throw DefinitionError("tables", "expected a non-empty array of tables");
    }
    Definitions defs;
    for (size_t i = 0; i < tables.size(); ++i) {
      defs.tables.push_back(ReadTable(tables[i], "tables[" + std::to_string(i) + "]"));
    }
    CheckAcrossTables(&defs);
    *out = std::move(defs);
    return true;
  } catch (const DefinitionError& e) {
    *error = source + ": " + (e.path().empty() ? "top level" : e.path()) + ": " + OneLine(e.what());
    return false;
  }
}

bool LoadDefinitionsFile(const std::string& path, Definitions* out, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return ParseDefinitions(text, path, out, error);
}

}  // namespace kxagent
