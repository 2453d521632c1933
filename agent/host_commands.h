// The agent's own console commands, beside the configurators' commands: saving, showing and
// clearing the configuration, result values, MIB access and quit. Command output goes to the
// given stream; failures are logged as one line and make the command fail.

#ifndef KXAGENT_HOST_COMMANDS_H_
#define KXAGENT_HOST_COMMANDS_H_

#include <cstdio>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "korvax/configurator.h"
#include "kx_host.h"
#include "kxrt/console.h"

namespace kxagent {

struct HostContext {
  // The configurators a save writes (ConfiguratorSet::TopLevel); must outlive the commands.
  std::vector<korvax::IConfigurator*> topLevel;
  std::string configFile;  // what a plain "config save" writes; empty: nothing
  std::string keyFile;     // the cipher key, made when first needed
  bool hasEncipheredColumns = false;
  FileSystem* fs = nullptr;  // where saves go; RealFileSystem() unless testing
  FILE* out = stdout;
  bool* quit = nullptr;  // set by "quit"
};

// Adds "config save", "config show", "config clear", "value" and "quit".
void AddHostCommands(kxrt::Console& console, const HostContext& context);

// Adds "mib get", "mib next", "mib walk" and "mib set", which print "OID = TYPE: VALUE" lines.
void AddMibCommands(kxrt::Console& console, FILE* out);

// The words that follow a two-word host command's first word, for completion:
// {"config", {"clear", "execute", "save", "show"}}, {"mib", {...}}.
const std::vector<std::pair<std::string, std::vector<std::string>>>& HostSubcommands();

// "name(number)" for an SNMP error status, as the library reports them.
std::string ErrorStatusName(int status);

// One binding as "OID = TYPE: VALUE" (or "OID = noSuchObject" and the like).
std::string FormatBinding(const KX_VARBIND_T& binding);

// Logs one error line.
void LogError(const std::string& text);

}  // namespace kxagent

#endif  // KXAGENT_HOST_COMMANDS_H_
