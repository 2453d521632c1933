#include "configurator_set.h"

#include <map>
#include <string>

namespace kxagent {
namespace {

using korvax::IConfigurator;

IConfigurator::EStatusType ToStatusType(StatusStyle style) {
  switch (style) {
    case StatusStyle::kEntryStatus:
      return IConfigurator::eEntryStatus;
    case StatusStyle::kStringStatus:
      return IConfigurator::eStringStatus;
    case StatusStyle::kRowStatus:
    case StatusStyle::kNone:
      break;
  }
  return IConfigurator::eRowStatus;
}

IConfigurator* Create(const TableDefinition& t, IConfigurator* parent) {
  const char* name = t.command.c_str();
  const char* descr = t.description.c_str();
  const char* oid = t.oidText.c_str();
  switch (t.kind) {
    case TableKind::kStatus:
      return IConfigurator::Create(name, descr, oid, ToStatusType(t.statusStyle),
                                   static_cast<int>(t.statusColumn),
                                   static_cast<int>(t.ownerColumn));
    case TableKind::kChild:
      return IConfigurator::Create(name, descr, oid, *parent);
    case TableKind::kScalars:
      return IConfigurator::Create(name, descr, oid);
    case TableKind::kIndexed:
      break;
  }
  return IConfigurator::Create(name, descr, oid, static_cast<int>(t.rowColumn));
}

void DeclareColumn(IConfigurator& c, const ColumnDefinition& col) {
  int number = static_cast<int>(col.number);
  const char* name = col.property.c_str();
  const char* help = col.help.c_str();
  switch (col.adder) {
    case Adder::kInt:
      c.AddIntCol(number, name, help);
      break;
    case Adder::kUnsigned:
      c.AddUnsCol(number, name, help);
      break;
    case Adder::kString:
      c.AddStrCol(number, name, help);
      break;
  }
  for (const auto& e : col.enums) c.AddEnum(number, e.second, e.first.c_str());
  switch (col.format) {
    case StringFormat::kText:
      c.SetStrFmt(number, IConfigurator::eFmtText);
      break;
    case StringFormat::kHex:
      c.SetStrFmt(number, IConfigurator::eFmtHex);
      break;
    case StringFormat::kDecimal:
      c.SetStrFmt(number, IConfigurator::eFmtDecimal);
      break;
    case StringFormat::kDefault:
      break;
  }
  c.SetColWrite(number, col.write);
  for (const std::string& alias : col.aliases) c.AddAlias(name, alias.c_str());
}

}  // namespace

ConfiguratorSet::ConfiguratorSet(const Definitions& defs) {
  std::map<std::string, IConfigurator*> byCommand;
  for (const TableDefinition& t : defs.tables) {
    // Parents come first in defs, so a child's parent already exists here.
    IConfigurator* parent = t.kind == TableKind::kChild ? byCommand.at(t.parent) : nullptr;
    all_.emplace_back(Create(t, parent));
    IConfigurator* c = all_.back().get();
    byCommand[t.command] = c;
    for (const ColumnDefinition& col : t.columns) {
      if (!col.property.empty()) DeclareColumn(*c, col);
    }
    if (parent == nullptr) topLevel_.push_back(c);
  }
  for (const TableDefinition& t : defs.tables) {
    for (const std::string& child : t.children) {
      byCommand.at(t.command)->AddChild(*byCommand.at(child), static_cast<int>(t.childSizeColumn));
    }
  }
  for (auto& c : all_) c->Register();
}

ConfiguratorSet::~ConfiguratorSet() {
  while (!all_.empty()) all_.pop_back();
}

}  // namespace kxagent
