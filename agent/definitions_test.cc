#include "definitions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "kx_host.h"

namespace kxagent {
namespace {

using Json = nlohmann::ordered_json;

// A small valid file: a RowStatus table with a child, used as the base the bad cases change.
Json ValidDefinitions() {
  return Json::parse(R"({
    "tables": [
      {"command": "tbl", "description": "a table", "kind": "status", "oid": "1.3.6.1.4.1.99999.9.1",
       "status": {"column": 3, "style": "RowStatus"}, "owner_column": 2, "child_size_column": 4,
       "columns": [
         {"number": 1, "type": "integer", "range": [0, 10], "property": "alpha",
          "enums": {"on": 1, "off": 0, "yes": -1}},
         {"number": 2, "type": "octets"},
         {"number": 3, "type": "integer"},
         {"number": 4, "type": "integer"}
       ]},
      {"command": "sub", "kind": "child", "parent": "tbl", "oid": "1.3.6.1.4.1.99999.9.2",
       "columns": [{"number": 1, "type": "octets", "property": "gamma", "format": "hex"}]}
    ]
  })");
}

std::string Parse(const std::string& text, Definitions* defs = nullptr) {
  Definitions scratch;
  std::string error;
  bool ok = ParseDefinitions(text, "defs.json", defs ? defs : &scratch, &error);
  EXPECT_EQ(ok, error.empty()) << error;
  return error;
}

TEST(DefinitionsTest, ValidBaseLoadsWithDerivedFields) {
  Definitions defs;
  ASSERT_EQ(Parse(ValidDefinitions().dump(), &defs), "");
  ASSERT_EQ(defs.tables.size(), 2u);
  const TableDefinition* tbl = defs.Find("tbl");
  const TableDefinition* sub = defs.Find("sub");
  ASSERT_TRUE(tbl && sub);
  EXPECT_EQ(tbl->indexDepth, 1u);
  EXPECT_EQ(sub->indexDepth, 2u);
  EXPECT_EQ(tbl->children, std::vector<std::string>{"sub"});
  EXPECT_TRUE(sub->createOnFirstSet);
  EXPECT_FALSE(tbl->createOnFirstSet);
  EXPECT_EQ(tbl->statusStyle, StatusStyle::kRowStatus);
  EXPECT_EQ(tbl->columns[0].adder, Adder::kInt);
  EXPECT_EQ(tbl->columns[0].enums.size(), 3u);
  EXPECT_EQ(sub->columns[0].format, StringFormat::kHex);
}

TEST(DefinitionsTest, ChildrenComeAfterTheirParentsWhateverTheFileOrder) {
  Json d = ValidDefinitions();
  Json grandchild = {{"command", "leaf"},
                     {"kind", "child"},
                     {"parent", "sub"},
                     {"oid", "1.3.6.1.4.1.99999.9.3"},
                     {"columns", {{{"number", 1}, {"type", "oid"}, {"property", "p"}}}}};
  Json reordered = Json::array({grandchild, d["tables"][1], d["tables"][0]});
  d["tables"] = reordered;
  Definitions defs;
  ASSERT_EQ(Parse(d.dump(), &defs), "");
  ASSERT_EQ(defs.tables.size(), 3u);
  EXPECT_EQ(defs.tables[0].command, "tbl");
  EXPECT_EQ(defs.tables[1].command, "sub");
  EXPECT_EQ(defs.tables[2].command, "leaf");
  EXPECT_EQ(defs.tables[2].indexDepth, 3u);
}

TEST(DefinitionsTest, EncipheredColumnAndDefaults) {
  Json d = ValidDefinitions();
  d["tables"][1]["columns"].push_back(
      {{"number", 2}, {"type", "octets"}, {"enciphered", true}, {"property", "secret"}});
  d["tables"][0]["columns"][0]["default"] = "on";
  Definitions defs;
  ASSERT_EQ(Parse(d.dump(), &defs), "");
  EXPECT_TRUE(defs.Find("sub")->columns[1].enciphered);
  EXPECT_EQ(defs.Find("tbl")->columns[0].defaultText, "1");
}

TEST(DefinitionsTest, SyntaxErrorsNameLineAndColumn) {
  EXPECT_EQ(Parse("{\n  \"tables\": [\n    {\"command\": \"x\",,}\n  ]\n}\n"),
            "defs.json:3:21: bad JSON: syntax error while parsing object key - unexpected ','; "
            "expected string literal");
  EXPECT_EQ(Parse(""),
            "defs.json:1:1: bad JSON: syntax error while parsing value - unexpected end of input; "
            "expected '[', '{', or a literal");
  std::string truncated = ValidDefinitions().dump(2);
  truncated.resize(truncated.size() / 2);
  std::string error = Parse(truncated);
  EXPECT_EQ(error.rfind("defs.json:", 0), 0u) << error;
  EXPECT_NE(error.find(": bad JSON: "), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(DefinitionsTest, AFieldGivenTwiceIsRefusedWithItsPath) {
  std::string text = ValidDefinitions().dump();
  // The second column of the first table gets a second "type"; nlohmann would keep the last.
  std::string first = "{\"number\":2,\"type\":\"octets\"}";
  size_t at = text.find(first);
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, first.size(), "{\"number\":2,\"type\":\"octets\",\"type\":\"integer\"}");
  EXPECT_EQ(Parse(text),
            "defs.json: tables[0].columns[1].type: the field appears twice in its object");
  EXPECT_EQ(Parse("{\"tables\": [], \"tables\": []}"),
            "defs.json: tables: the field appears twice in its object");
}

struct BadCase {
  const char* what;
  std::function<void(Json&)> change;
  const char* message;  // after "defs.json: "
};

TEST(DefinitionsTest, MistakesAreRefusedWithOneLine) {
  const BadCase cases[] = {
      {"no tables", [](Json& d) { d.erase("tables"); }, "top level: missing field \"tables\""},
      {"unknown top field", [](Json& d) { d["table"] = 1; },
       "top level: unknown field \"table\" in the definitions"},
      {"unknown type", [](Json& d) { d["tables"][0]["columns"][0]["type"] = "integr"; },
       "tables[0].columns[0].type: unknown type \"integr\" (expected integer, unsigned, timeticks, "
       "octets, oid, ipaddress)"},
      {"misspelt column field", [](Json& d) { d["tables"][1]["columns"][0]["enciphred"] = true; },
       "tables[1].columns[0]: unknown field \"enciphred\" in a column"},
      {"missing oid", [](Json& d) { d["tables"][0].erase("oid"); },
       "tables[0]: missing field \"oid\""},
      {"bad oid", [](Json& d) { d["tables"][0]["oid"] = "1.3.x"; },
       "tables[0].oid: not an object identifier: \"1.3.x\" (expected dotted numbers such as "
       "1.3.6.1.4.1)"},
      {"missing parent", [](Json& d) { d["tables"][1]["parent"] = "nosuch"; },
       "tables[1].parent: no table has the command \"nosuch\""},
      {"parent is a scalar group",
       [](Json& d) {
         d["tables"][0] = {{"command", "tbl"},
                           {"kind", "scalars"},
                           {"oid", "1.3.6.1.4.1.99999.9.1"},
                           {"columns", {{{"number", 1}, {"type", "integer"}, {"property", "a"}}}}};
       },
       "tables[1].parent: the parent \"tbl\" must be a status or child table (only those replay "
       "their child rows under the right row)"},
      {"column used twice with different types",
       [](Json& d) {
         d["tables"][0]["columns"].push_back(
             {{"number", 1}, {"type", "octets"}, {"property", "beta"}});
       },
       "tables[0].columns[4].type: column 1 is used twice with different types (integer in "
       "tables[0].columns[0], octets here)"},
      {"column repeated with another range",
       [](Json& d) {
         d["tables"][0]["columns"].push_back(
             {{"number", 1}, {"type", "integer"}, {"property", "beta"}});
       },
       "tables[0].columns[4]: column 1 is declared again (tables[0].columns[0]) with a different "
       "range or size"},
      {"status column that is not a column",
       [](Json& d) { d["tables"][0]["status"]["column"] = 9; },
       "tables[0].status.column: the status column 9 is not a column of the table"},
      {"status column of the wrong type",
       [](Json& d) { d["tables"][0]["status"]["style"] = "StringStatus"; },
       "tables[0].status.column: a StringStatus column must be octets, not integer"},
      {"status column with a property",
       [](Json& d) { d["tables"][0]["columns"][2]["property"] = "st"; },
       "tables[0].status.column: the status column 3 cannot also be a property (\"st\")"},
      {"unknown status style", [](Json& d) { d["tables"][0]["status"]["style"] = "rowstatus"; },
       "tables[0].status.style: unknown status style \"rowstatus\" (expected EntryStatus, "
       "RowStatus, StringStatus)"},
      {"owner column not octets", [](Json& d) { d["tables"][0]["owner_column"] = 4; },
       "tables[0].owner_column: the owner column must be plain octets"},
      {"duplicate command", [](Json& d) { d["tables"][1]["command"] = "tbl"; },
       "tables[1].command: the command \"tbl\" is already defined by tables[0]"},
      {"reserved command", [](Json& d) { d["tables"][0]["command"] = "config"; },
       "tables[0].command: the command name \"config\" is taken by the agent"},
      {"overlapping oids", [](Json& d) { d["tables"][1]["oid"] = "1.3.6.1.4.1.99999.9.1.5"; },
       "tables[1].oid: the OID 1.3.6.1.4.1.99999.9.1.5 overlaps the OID 1.3.6.1.4.1.99999.9.1 of "
       "tables[0] (tbl)"},
      {"duplicate property name",
       [](Json& d) { d["tables"][0]["columns"][0]["aliases"] = {"alpha"}; },
       "tables[0].columns[0].aliases[0]: the name \"alpha\" is already used in the table by "
       "tables[0].columns[0].property"},
      {"keyword as property", [](Json& d) { d["tables"][1]["columns"][0]["property"] = "index"; },
       "tables[1].columns[0].property: the property name \"index\" is taken by the command keyword "
       "of that name"},
      {"enumeration on octets",
       [](Json& d) {
         d["tables"][1]["columns"][0]["enums"] = {{"a", 1}};
       },
       "tables[1].columns[0].enums: enumerations need an integer column, not octets"},
      {"enumeration outside the range",
       [](Json& d) { d["tables"][0]["columns"][0]["enums"]["big"] = -11; },
       "tables[0].columns[0].enums.big: the value 11 is outside the column's range 0..10"},
      {"enumeration name that reads as a number",
       [](Json& d) { d["tables"][0]["columns"][0]["enums"]["3x"] = 3; },
       "tables[0].columns[0].enums.3x: the enumeration name \"3x\" must start with a letter and "
       "hold only letters, digits, '_', '-' and '.'"},
      {"format on an integer", [](Json& d) { d["tables"][0]["columns"][0]["format"] = "hex"; },
       "tables[0].columns[0].format: a format needs an octets column"},
      {"adder that does not fit", [](Json& d) { d["tables"][0]["columns"][0]["adder"] = "string"; },
       "tables[0].columns[0].adder: the adder \"string\" does not fit a integer column"},
      {"help without property", [](Json& d) { d["tables"][0]["columns"][1]["help"] = "h"; },
       "tables[0].columns[1].help: \"help\" needs a \"property\" in the same column"},
      {"read-only property", [](Json& d) { d["tables"][0]["columns"][0]["access"] = "read-only"; },
       "tables[0].columns[0].property: a read-only column cannot be a property"},
      {"default outside the range", [](Json& d) { d["tables"][0]["columns"][0]["default"] = 11; },
       "tables[0].columns[0].default: the number 11 is outside 0..10"},
      {"default that is not an ip address",
       [](Json& d) {
         d["tables"][1]["columns"][0] = {
             {"number", 1}, {"type", "ipaddress"}, {"default", "1.2.3"}, {"property", "ip"}};
       },
       "tables[1].columns[0].default: not an IP address: \"1.2.3\""},
      {"field of another kind", [](Json& d) { d["tables"][1]["owner_column"] = 1; },
       "tables[1].owner_column: \"owner_column\" does not apply to a child table"},
      {"no property at all", [](Json& d) { d["tables"][1]["columns"][0].erase("property"); },
       "tables[1].columns[0].format: \"format\" needs a \"property\" in the same column"},
      {"table without properties",
       [](Json& d) {
         d["tables"][1]["columns"][0] = {{"number", 1}, {"type", "oid"}};
       },
       "tables[1].columns: the table needs at least one column with a property"},
      {"size column not integer",
       [](Json& d) { d["tables"][0]["columns"][3]["type"] = "unsigned"; },
       "tables[0].child_size_column: the child size column must be integer, not unsigned"},
      {"size column without children",
       [](Json& d) {
         d["tables"][1]["columns"].push_back({{"number", 2}, {"type", "integer"}});
         d["tables"][1]["child_size_column"] = 2;
       },
       "tables[1].child_size_column: the table has no child table to count"},
      {"child index range narrower than the parent's",
       [](Json& d) {
         d["tables"][1]["index_range"] = {1, 100};
       },
       "tables[1].index_range: the index range 1..100 must include the parent's 1..2147483647, "
       "since it applies to the parent's part of the index too"},
      {"cycle of parents",
       [](Json& d) {
         d["tables"][0] = {{"command", "tbl"},
                           {"kind", "child"},
                           {"parent", "sub"},
                           {"oid", "1.3.6.1.4.1.99999.9.1"},
                           {"columns", {{{"number", 1}, {"type", "integer"}, {"property", "a"}}}}};
       },
       "tables[0].parent: the parents of \"tbl\" form a cycle"},
      {"child table that would not create rows",
       [](Json& d) { d["tables"][1]["create_on_first_set"] = false; },
       "tables[1].create_on_first_set: a child table has no status column, so its rows must be "
       "created on the first column set"},
      {"number of the wrong kind", [](Json& d) { d["tables"][0]["columns"][0]["number"] = "1"; },
       "tables[0].columns[0].number: expected a whole number"},
      {"column zero", [](Json& d) { d["tables"][0]["columns"][0]["number"] = 0; },
       "tables[0].columns[0].number: the number 0 is outside 1..2147483647"},
      {"control characters stay on one line",
       [](Json& d) { d["tables"][0]["columns"][0]["type"] = "a\nb"; },
       "tables[0].columns[0].type: unknown type \"a\\x0ab\" (expected integer, unsigned, "
       "timeticks, octets, oid, ipaddress)"},
  };
  for (const BadCase& c : cases) {
    Json d = ValidDefinitions();
    c.change(d);
    EXPECT_EQ(Parse(d.dump()), std::string("defs.json: ") + c.message) << c.what;
  }
}

TEST(DefinitionsTest, UnreadableFilesAreRefused) {
  Definitions defs;
  std::string error;
  EXPECT_FALSE(LoadDefinitionsFile("/nonexistent/defs.json", &defs, &error));
  EXPECT_EQ(error, "/nonexistent/defs.json: cannot read: No such file or directory");
  EXPECT_FALSE(LoadDefinitionsFile("/", &defs, &error));
  EXPECT_EQ(error, "/: cannot read: it is a directory");
}

TEST(DefinitionsTest, BuiltinExampleLoadsAndShowsEveryFeature) {
  Definitions defs;
  std::string error;
  ASSERT_TRUE(ParseDefinitions(BuiltinDefinitionsText(), "built-in", &defs, &error)) << error;
  std::set<StatusStyle> styles;
  std::set<TableKind> kinds;
  std::set<int32_t> types;
  bool enciphered = false, hex = false, decimal = false, negativeEnum = false, alias = false,
       owner = false, sizeColumn = false, unwritten = false;
  for (const TableDefinition& t : defs.tables) {
    kinds.insert(t.kind);
    styles.insert(t.statusStyle);
    owner |= t.ownerColumn != 0;
    sizeColumn |= t.childSizeColumn != 0;
    for (const ColumnDefinition& c : t.columns) {
      types.insert(c.type);
      enciphered |= c.enciphered;
      hex |= c.format == StringFormat::kHex;
      decimal |= c.format == StringFormat::kDecimal;
      alias |= !c.aliases.empty();
      unwritten |= !c.write;
      for (const auto& e : c.enums) negativeEnum |= e.second < 0;
    }
  }
  EXPECT_EQ(kinds.size(), 4u);
  EXPECT_TRUE(styles.count(StatusStyle::kEntryStatus) && styles.count(StatusStyle::kRowStatus) &&
              styles.count(StatusStyle::kStringStatus));
  EXPECT_TRUE(types.count(KX_ASN_OBJECT_ID) && types.count(KX_ASN_IPADDRESS) &&
              types.count(KX_ASN_TIMETICKS) && types.count(KX_ASN_UNSIGNED));
  EXPECT_TRUE(enciphered && hex && decimal && negativeEnum && alias && owner && sizeColumn &&
              unwritten);
  int maxDepth = 0;
  for (const TableDefinition& t : defs.tables) maxDepth = std::max<int>(maxDepth, t.indexDepth);
  EXPECT_EQ(maxDepth, 3);  // a grandchild table
}

}  // namespace
}  // namespace kxagent
