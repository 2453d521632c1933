// The console: command descriptors and built-ins by name, one line at a time. Lines may nest
// (a callback or a file runs lines while a line runs), so nothing here holds an iterator,
// reference or descriptor field across a call into a callback or handler: those may register,
// deregister or add commands, and a descriptor may be gone once its callback returns.

#include "kxrt/console.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "kxrt/log.h"
#include "kxrt/words.h"

namespace kxrt {
namespace {

constexpr int kErrorLevel = 0;
constexpr const char* kDefaultBaseOwner = "console";
constexpr const char* kHostGroup = "console";
constexpr const char* kNoGroup = "other";

// A user's word as it may appear inside a one-line message: control bytes as \xHH.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char hex[5];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string Quoted(const std::string& word) {
  return "\"" + Printable(word) + "\"";
}

std::string Join(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) {
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  return joined;
}

// Appends text and the line feed it lacks.
void AppendLine(const std::string& text, std::string* out) {
  *out += text;
  if (text.empty() || text.back() != '\n') *out += '\n';
}

std::string TextOrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

class DepthGuard {
 public:
  explicit DepthGuard(int* depth) : depth_(depth) { ++*depth_; }
  ~DepthGuard() { --*depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int* depth_;
};

// Reads a whole file; false with errno set.
bool ReadWholeFile(FILE* file, std::string* content) {
  char chunk[8192];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) content->append(chunk, n);
  return ferror(file) == 0;
}

}  // namespace

Console& Console::Instance() {
  // Never destroyed: modules deregister their commands from their own static destructors.
  static Console* console = new Console();
  return *console;
}

Console::Console() {
  Reset();
}

void Console::Reset() {
  commands_.clear();
  builtins_.clear();
  owners_.clear();
  values_.clear();
  baseOwner_ = kDefaultBaseOwner;
  AddStandardBuiltins();
}

void Console::AddStandardBuiltins() {
  AddBuiltin("config execute", kHostGroup, "config execute <file>",
             "Runs the lines of a file as if typed.",
             [this](const std::vector<std::string>& words) {
               if (words.size() != 1) {
                 LogError("Usage: config execute <file>");
                 return false;
               }
               return ExecuteFile(words[0]);
             });
  AddBuiltin("help", kHostGroup, "help [<command>]",
             "Lists the commands, or shows one command's help.",
             [this](const std::vector<std::string>& words) {
               std::string text;
               if (words.empty()) {
                 text = Help();
               } else if (!HelpFor(Join(words), &text)) {
                 LogError("Unknown command " + Quoted(Join(words)) + ".");
                 return false;
               }
               fwrite(text.data(), 1, text.size(), stdout);
               fflush(stdout);
               return true;
             });
}

bool Console::Register(KX_CONSOLE_CMD_T* cmd) {
  if (cmd == nullptr || cmd->cmdName == nullptr || cmd->cmdName[0] == '\0' ||
      cmd->callback == nullptr) {
    LogError("A command without name or callback cannot be registered.");
    return false;
  }
  std::string name = cmd->cmdName;
  if (builtins_.count(name) != 0) {
    LogError("Command " + Quoted(name) + " is built in; the registration was refused.");
    return false;
  }
  if (!commands_.emplace(name, cmd).second) {
    LogError("Command " + Quoted(name) + " is already registered; the second registration" +
             " was refused.");
    return false;
  }
  return true;
}

bool Console::Deregister(KX_CONSOLE_CMD_T* cmd) {
  if (cmd == nullptr) return false;
  if (cmd->cmdName != nullptr) {
    auto named = commands_.find(cmd->cmdName);
    if (named != commands_.end() && named->second == cmd) {
      commands_.erase(named);
      return true;
    }
  }
  // The owner may have changed the name since it registered; the pointer is what counts.
  for (auto it = commands_.begin(); it != commands_.end(); ++it) {
    if (it->second == cmd) {
      commands_.erase(it);
      return true;
    }
  }
  return false;
}

const KX_CONSOLE_CMD_T* Console::Find(const std::string& name) const {
  auto it = commands_.find(name);
  return it == commands_.end() ? nullptr : it->second;
}

void Console::AddBuiltin(const std::string& name, const std::string& group,
                         const std::string& syntax, const std::string& help, Handler handler) {
  builtins_[name] = Builtin{group, syntax, help, std::move(handler)};
}

bool Console::Execute(const std::string& text) {
  std::string line = text;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.find('\0') != std::string::npos) {
    LogError("The line holds a NUL byte; it was not run.");
    return false;
  }
  size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos || line[first] == '#') return true;

  std::vector<std::string> words;
  std::string error;
  if (!SplitWords(line, &words, &error)) {
    LogError("Cannot split the line: " + error);
    return false;
  }
  if (words.empty()) return true;
  if (depth_ >= kMaxNesting) {
    LogError("Lines nested deeper than " + std::to_string(kMaxNesting) + " levels; " +
             Quoted(words[0]) + " was not run.");
    return false;
  }
  DepthGuard guard(&depth_);
  return Dispatch(words);
}

bool Console::Dispatch(const std::vector<std::string>& words) {
  size_t nameWords = 0;
  Handler handler;
  if (words.size() >= 2) {
    auto two = builtins_.find(words[0] + " " + words[1]);
    if (two != builtins_.end()) {
      nameWords = 2;
      handler = two->second.handler;  // a copy: the handler may replace its own built-in
    }
  }
  if (nameWords == 0) {
    auto one = builtins_.find(words[0]);
    if (one != builtins_.end()) {
      nameWords = 1;
      handler = one->second.handler;
    }
  }
  if (nameWords > 0) {
    if (!handler) {
      LogError("Command " + Quoted(Join({words.begin(), words.begin() + nameWords})) +
               " has no handler.");
      return false;
    }
    return handler(std::vector<std::string>(words.begin() + nameWords, words.end()));
  }
  auto command = commands_.find(words[0]);
  if (command != commands_.end()) return RunDescriptor(command->second, words);
  LogError("Unknown command " + Quoted(words[0]) + ".");
  return false;
}

bool Console::RunDescriptor(KX_CONSOLE_CMD_T* cmd, const std::vector<std::string>& words) {
  std::vector<const char*> argv;
  argv.reserve(words.size());
  for (size_t i = 1; i < words.size(); ++i) argv.push_back(words[i].c_str());
  argv.push_back(nullptr);  // argv[argc] is null, as for main
  int argc = static_cast<int>(words.size() - 1);
  // cmd may be deregistered and freed by its own callback: it is not read after the call.
  int result = cmd->callback(cmd, argc, argv.data());
  if (result == 0) {
    LogError("Command " + Quoted(words[0]) + " did not run; \"help " + Printable(words[0]) +
             "\" shows its syntax.");
    return false;
  }
  return true;
}

bool Console::ExecuteFile(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    LogError("Cannot read " + Quoted(path) + ": " + strerror(errno) + ".");
    return false;
  }
  struct stat info;
  Source source{path, 0, 0, 0};
  if (fstat(fileno(file), &info) == 0) {
    source.device = static_cast<unsigned long long>(info.st_dev);
    source.inode = static_cast<unsigned long long>(info.st_ino);
  }
  for (const Source& running : files_) {
    if (running.device == source.device && running.inode == source.inode) {
      fclose(file);
      LogError(Quoted(path) + " is already being executed; a file cannot execute itself.");
      return false;
    }
  }
  std::string content;
  bool read = ReadWholeFile(file, &content);
  int readError = errno;
  fclose(file);
  if (!read) {
    LogError("Cannot read " + Quoted(path) + ": " + strerror(readError) + ".");
    return false;
  }
  files_.push_back(source);
  RunLines(content);
  files_.pop_back();
  return true;
}

void Console::RunLines(const std::string& content) {
  // files_ may grow while a line runs (a nested file), so the top is found by index each time.
  const size_t self = files_.size() - 1;
  size_t start = 0;
  int number = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    files_[self].line = ++number;
    Execute(content.substr(start, end - start));  // a failing line has logged FILE:LINE
    start = end + 1;
  }
}

void Console::LogError(const std::string& message) const {
  std::string text;
  if (!files_.empty()) {
    text = Printable(files_.back().path) + ":" + std::to_string(files_.back().line) + ": ";
  }
  text += message;
  text += '\n';
  Log(kErrorLevel, text);
}

void Console::SetBaseOwner(const std::string& owner) {
  baseOwner_ = owner;
}

const std::string& Console::Owner() const {
  return owners_.empty() ? baseOwner_ : owners_.back();
}

void Console::PushOwner(const std::string& owner) {
  if (!owner.empty() && owner[0] == '~') {
    owners_.push_back(Owner() + owner);
  } else {
    owners_.push_back(owner);
  }
}

void Console::PopOwner() {
  if (!owners_.empty()) owners_.pop_back();
}

size_t Console::OwnerDepth() const {
  return owners_.size();
}

void Console::SetValue(const std::string& name, const std::string& value) {
  values_[name] = value;
}

std::string Console::Value(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? std::string() : it->second;
}

std::string Console::Help() const {
  // group -> name -> one-line help
  std::map<std::string, std::map<std::string, std::string>> groups;
  size_t width = 0;
  for (const auto& [name, builtin] : builtins_) {
    groups[builtin.group.empty() ? kNoGroup : builtin.group][name] = builtin.help;
    width = std::max(width, name.size());
  }
  for (const auto& [name, cmd] : commands_) {
    std::string group = TextOrEmpty(cmd->group);
    groups[group.empty() ? kNoGroup : group][name] = TextOrEmpty(cmd->cmdHelp);
    width = std::max(width, name.size());
  }
  std::string text;
  for (const auto& [group, commands] : groups) {
    text += group + ":\n";
    for (const auto& [name, help] : commands) {
      std::string line = "  " + name;
      if (!help.empty()) line += std::string(width + 2 - name.size(), ' ') + help;
      AppendLine(line, &text);
    }
  }
  return text;
}

bool Console::HelpFor(const std::string& name, std::string* text) const {
  text->clear();
  auto builtin = builtins_.find(name);
  if (builtin != builtins_.end()) {
    if (!builtin->second.help.empty()) AppendLine(builtin->second.help, text);
    if (!builtin->second.syntax.empty()) AppendLine(builtin->second.syntax, text);
    return true;
  }
  auto command = commands_.find(name);
  if (command == commands_.end()) return false;
  const KX_CONSOLE_CMD_T* cmd = command->second;
  if (cmd->cmdHelp != nullptr && cmd->cmdHelp[0] != '\0') AppendLine(cmd->cmdHelp, text);
  if (cmd->syntax != nullptr && cmd->syntax[0] != '\0') AppendLine(cmd->syntax, text);
  if (cmd->propertyLines != nullptr) {
    for (int32_t i = 0; i < cmd->propertyCount; ++i) {
      if (cmd->propertyLines[i] != nullptr) AppendLine(cmd->propertyLines[i], text);
    }
  }
  return true;
}

std::vector<std::string> Console::CommandNames() const {
  std::set<std::string> names;
  for (const auto& entry : commands_) names.insert(entry.first);
  for (const auto& entry : builtins_) names.insert(entry.first.substr(0, entry.first.find(' ')));
  return std::vector<std::string>(names.begin(), names.end());
}

}  // namespace kxrt
