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

  // Descriptors (KXConsoleRegisterv / KXConsoleDeregisterv). The console keeps the pointer, not
  // a copy, and never touches it after Deregister. Register refuses (false, logged) a null
  // descriptor, one without name or callback, a name already registered and the name of a
  // one-word built-in. Deregister is false when the descriptor is not registered.
  bool Register(KX_CONSOLE_CMD_T* cmd);
  bool Deregister(KX_CONSOLE_CMD_T* cmd);
  const KX_CONSOLE_CMD_T* Find(const std::string& name) const;

  // A host command named by one or two words ("help", "config execute", "mib get").
  void AddBuiltin(const std::string& name, const std::string& group, const std::string& syntax,
                  const std::string& help, Handler handler);

  // Runs one line: a line feed (and a CR before it) at its end is ignored; blank lines and lines
  // whose first non-blank is '#' do nothing and succeed. Returns false (and logs one line) for bad
  // quoting, a NUL byte, an unknown command, a failing built-in, a callback that returns 0, or
  // nesting deeper than kMaxNesting. A two-word built-in
  // ("config execute") is matched before one-word built-ins and descriptors. Callbacks and
  // handlers may call Execute and Register/Deregister while they run.
  bool Execute(const std::string& line);
  static constexpr int kMaxNesting = 32;
  // Runs a file line by line ("config execute FILE"); false when it cannot be read. Lines that
  // fail are logged with FILE:LINE and do not stop the file. A file that is already being
  // executed (it executes itself, directly or through others) is refused, as a failing line.
  bool ExecuteFile(const std::string& path);

  // Owner stack: the base owner (never popped, "console" unless changed) and pushed owners.
  // Owner() is the top; its text stays in place until the next push, pop or SetBaseOwner.
  // PushOwner of a text that begins with "~" pushes the current owner followed by that text
  // ("~" on "console" gives "console~", the mark of temporary rows); any other text is pushed
  // as it is. OwnerDepth() is the number of pushed owners (0: only the base).
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

  // Drops every descriptor, built-in, pushed owner and value, and restores the base owner
  // "console" and the standard built-ins "config execute" and "help" (tests).
  void Reset();

 private:
  // A file being executed: its identity (to refuse cycles) and the line being run.
  struct Source {
    std::string path;
    unsigned long long device, inode;
    int line;
  };

  Console();
  void AddStandardBuiltins();
  bool Dispatch(const std::vector<std::string>& words);
  bool RunDescriptor(KX_CONSOLE_CMD_T* cmd, const std::vector<std::string>& words);
  // Runs the lines of content as the file on top of files_.
  void RunLines(const std::string& content);
  // Logs an error line, prefixed with "FILE:LINE: " while a file runs.
  void LogError(const std::string& message) const;
  struct Builtin {
    std::string group, syntax, help;
    Handler handler;
  };
  std::map<std::string, KX_CONSOLE_CMD_T*> commands_;
  std::map<std::string, Builtin> builtins_;  // key: "name" or "name sub"
  std::string baseOwner_;
  std::vector<std::string> owners_;
  std::map<std::string, std::string> values_;
  std::vector<Source> files_;  // innermost last
  int depth_ = 0;              // Execute calls in progress
};

}  // namespace kxrt

#endif  // KXRT_CONSOLE_H_
