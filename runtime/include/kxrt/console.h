// The runtime's console: registered command descriptors, built-in host commands, line splitting,
// running lines and files, the owner stack, named result values and help.

#ifndef KXRT_CONSOLE_H_
#define KXRT_CONSOLE_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "kx_host.h"

namespace kxrt {

class Console {
 public:
  // A built-in command's handler: the words after its name; false when the line could not be
  // run (the handler logs why).
  using Handler = std::function<bool(const std::vector<std::string>& words)>;

  // The process's console, used by the KXConsole* functions.
  static Console& Instance();

  // Descriptors (KXConsoleRegisterv / KXConsoleDeregisterv).
  bool Register(KX_CONSOLE_CMD_T* cmd);
  bool Deregister(KX_CONSOLE_CMD_T* cmd);
  const KX_CONSOLE_CMD_T* Find(const std::string& name) const;

  // A host command named by one or two words ("help", "config execute", "mib get").
  void AddBuiltin(const std::string& name, const std::string& group, const std::string& syntax,
                  const std::string& help, Handler handler);

  // Runs one line: blank lines and lines whose first non-blank is '#' do nothing and succeed.
  // Returns false (and logs one line) for bad quoting, an unknown command or a failing built-in.
  bool Execute(const std::string& line);
  // Runs a file line by line ("config execute FILE"); false when it cannot be read. Lines that
  // fail are logged with FILE:LINE and do not stop the file.
  bool ExecuteFile(const std::string& path);

  // Owner stack: the base owner (never popped, "console" unless changed) and pushed owners.
  void SetBaseOwner(const std::string& owner);
  const std::string& Owner() const;
  void PushOwner(const std::string& owner);
  void PopOwner();
  size_t OwnerDepth() const;

  // Named result values.
  void SetValue(const std::string& name, const std::string& value);
  std::string Value(const std::string& name) const;  // empty when never set

  // Help: every command by group, or one command's help, syntax and property lines.
  std::string Help() const;
  bool HelpFor(const std::string& name, std::string* text) const;
  // Names of every command (descriptors and the first word of built-ins), sorted.
  std::vector<std::string> CommandNames() const;

  // Drops every descriptor, built-in, pushed owner and value (tests).
  void Reset();

 private:
  Console();
  struct Builtin {
    std::string group, syntax, help;
    Handler handler;
  };
  std::map<std::string, KX_CONSOLE_CMD_T*> commands_;
  std::map<std::string, Builtin> builtins_;  // key: "name" or "name sub"
  std::string baseOwner_;
  std::vector<std::string> owners_;
  std::map<std::string, std::string> values_;
};

}  // namespace kxrt

#endif  // KXRT_CONSOLE_H_
