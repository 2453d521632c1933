// The console command: registration with its help texts, and the callback the console calls.

#include <cstring>
#include <list>
#include <string>

#include "configurator/internal.h"

namespace korvax {

namespace {

char* CopyText(const std::string& text) {
  char* copy = new char[text.size() + 1];
  memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// The type label of a property line, trailing blanks included.
const char* TypeLabel(const CConfigurator::SColumn& col) {
  switch (col.type) {
    case KX_ASN_INTEGER:
      return col.enums.empty() ? "INTEGER  " : "ENUM     ";
    case 3:
    case KX_ASN_OCTET_STRING:
      if (col.fmt == IConfigurator::eFmtHex) return "STRING (hex) ";
      if (col.fmt == IConfigurator::eFmtDecimal) return "STRING (dec) ";
      return "STRING   ";
    case KX_ASN_OBJECT_ID:
      return "OBJECTID ";
    case KX_ASN_IPADDRESS:
      return "IPADDR   ";
    case KX_ASN_UNSIGNED:
      return "UNSIGNED ";
    case KX_ASN_TIMETICKS:
      return "TIMETICKS ";
    default:
      return "UNKNOWN  ";
  }
}

}  // namespace

bool CConfigurator::Register() {
  // A second registration would hand the console the same descriptor again and lose the texts
  // of the first; the command is already there, so there is nothing to do.
  if (m_registered) return true;
  memset(&m_command, 0, sizeof(m_command));
  m_command.group = "config";
  m_command.cmdName = m_name.c_str();
  m_command.cmdHelp = m_help.c_str();

  std::string syntax;
  BuildSyntax(syntax);
  std::list<std::string> lines;
  BuildProperties(lines);

  m_syntaxText = CopyText(syntax);
  m_command.syntax = m_syntaxText;
  m_command.propertyCount = static_cast<int32_t>(lines.size());
  m_propertyTexts = new char*[lines.size()];
  int i = 0;
  for (const std::string& line : lines) m_propertyTexts[i++] = CopyText(line);
  m_command.propertyLines = m_propertyTexts;
  m_command.callback = ConfiguratorGenericCallback;
  m_command.context = this;

  KXConsoleRegisterv(&m_command);
  m_registered = true;
  RegistryInsert(this);
  return true;
}

void CConfigurator::BuildSyntax(std::string& syntax) {
  const uint32_t allowed = s_allowedCommands[m_tableKind];
  syntax += m_name + " <property>=<value>\n";
  if (allowed & eCmdStore) syntax += m_name + " store [<property>=<value>]\n";
  if (allowed & eCmdCreate) syntax += m_name + " create [<property>=<value>]\n";
  if (allowed & eCmdReset) syntax += m_name + " reset";
}

void CConfigurator::BuildProperties(std::list<std::string>& lines) {
  for (const auto& [number, col] : m_columns) {
    std::string line = col.name.substr(0, 20);
    line.resize(20, ' ');
    line += TypeLabel(col);
    line += col.help;
    lines.push_back(line);
    for (const auto& [name, value] : col.enums) {
      if (value >= 0) lines.push_back("\t" + name);
    }
  }
}

bool CConfigurator::Callback(int argc, const char* const* argv) {
  const bool outerPushed = m_ownerPushed;
  m_ownerPushed = false;
  if (argc <= 0) {
    // An empty line nested in another callback must not lose that callback's pushed owner.
    m_ownerPushed = outerPushed;
    return false;
  }
  const char* command = nullptr;
  if (Parse(argc, argv, command)) OnCommand(command);
  if (m_ownerPushes != 0 && m_ownerPushed) {
    KXConsolePopOwner();
    --m_ownerPushes;
  }
  m_ownerPushed = outerPushed;
  return true;
}

}  // namespace korvax

extern "C" int ConfiguratorGenericCallback(KX_CONSOLE_CMD_T* cmd, int argc,
                                           const char* const* argv) {
  if (cmd == nullptr || cmd->context == nullptr) return 0;
  auto* configurator = static_cast<korvax::CConfigurator*>(cmd->context);
  return configurator->Callback(argc, argv) ? 1 : 0;
}
