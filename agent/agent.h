// The agent: settings, definitions, the MIB, the configurators and the host commands, set up in
// the order they depend on each other, and the running of console lines.

#ifndef KXAGENT_AGENT_H_
#define KXAGENT_AGENT_H_

#include <cstdio>
#include <memory>
#include <string>

#include "configurator_set.h"
#include "definitions.h"
#include "kxrt/mib.h"
#include "options.h"

namespace kxagent {

class Agent {
 public:
  Agent();
  // Destroys the configurators and gives the process its built-in MIB back.
  ~Agent();
  Agent(const Agent&) = delete;
  Agent& operator=(const Agent&) = delete;

  // Loads the settings and the definitions, registers the tables in a MIB of its own that it
  // makes current, creates the configurators and the host commands, and replays ConfigFile
  // (unless options.noConfig). Command output goes to out. Returns false with one line in
  // *error when anything before the replay fails; no configurator exists then. Call once.
  bool Start(const Options& options, FILE* out, std::string* error);

  // Runs one console line; false when it could not be run.
  bool RunLine(const std::string& line);
  // Runs a script file as "config execute" does; false when it could not be read or one of its
  // lines could not be run.
  bool RunScript(const std::string& path);

  // True once "quit" ran.
  bool quit() const { return quit_; }
  const AgentSettings& settings() const { return settings_; }

 private:
  AgentSettings settings_;
  Definitions defs_;
  kxrt::MemoryMib mib_;
  std::unique_ptr<ConfiguratorSet> configurators_;
  bool quit_ = false;
};

}  // namespace kxagent

#endif  // KXAGENT_AGENT_H_
