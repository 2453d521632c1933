#include "agent.h"

#include "atomic_file.h"
#include "file_util.h"
#include "host_commands.h"
#include "kxrt/cipher.h"
#include "kxrt/console.h"
#include "kxrt/log.h"
#include "mib_tables.h"

namespace kxagent {
namespace {

bool HasEncipheredColumns(const Definitions& defs) {
  for (const TableDefinition& t : defs.tables) {
    for (const ColumnDefinition& c : t.columns) {
      if (c.enciphered) return true;
    }
  }
  return false;
}

// Counts the error lines logged while it lives, passing every line on to standard error. The
// console logs a line it could not run at level 0, also inside a file, where its result does
// not say so.
class ErrorCounter {
 public:
  ErrorCounter() {
    kxrt::SetLogSink([this](int level, const std::string& text) {
      if (level == 0) ++errors_;
      fwrite(text.data(), 1, text.size(), stderr);
      if (text.empty() || text.back() != '\n') fputc('\n', stderr);
      fflush(stderr);
    });
  }
  ~ErrorCounter() { kxrt::SetLogSink(nullptr); }
  int errors() const { return errors_; }

 private:
  int errors_ = 0;
};

}  // namespace

Agent::Agent() = default;

Agent::~Agent() {
  configurators_.reset();
  kxrt::SetCurrentMib(nullptr);
}

bool Agent::Start(const Options& options, FILE* out, std::string* error) {
  if (!LoadAgentSettings(options.settingsFile, &settings_, error)) return false;
  kxrt::SetLogLevel(settings_.logLevel);
  kxrt::Console& console = kxrt::Console::Instance();
  console.SetBaseOwner(settings_.consoleOwner);

  if (options.definitionsFile.empty()) {
    if (!ParseDefinitions(BuiltinDefinitionsText(), "built-in definitions", &defs_, error)) {
      return false;
    }
  } else if (!LoadDefinitionsFile(options.definitionsFile, &defs_, error)) {
    return false;
  }

  // A key file that exists but cannot be used would make every enciphered value unreadable;
  // better to stop now than to replay and later save a configuration without them.
  if (PathExists(settings_.keyFile)) {
    std::string reason;
    if (!kxrt::LoadCipherKeyFile(settings_.keyFile, false, &reason)) {
      *error = settings_.keyFile + ": " + reason;
      return false;
    }
  }

  std::string source =
      options.definitionsFile.empty() ? "built-in definitions" : options.definitionsFile;
  std::string reason;
  if (!RegisterTables(defs_, &mib_, &reason)) {
    *error = source + ": cannot register " + reason;
    return false;
  }
  kxrt::SetCurrentMib(&mib_);

  HostContext context;
  context.configFile = settings_.configFile;
  context.keyFile = settings_.keyFile;
  context.hasEncipheredColumns = HasEncipheredColumns(defs_);
  context.fs = &RealFileSystem();
  context.out = out;
  context.quit = &quit_;
  configurators_ = std::make_unique<ConfiguratorSet>(defs_);
  context.topLevel = configurators_->TopLevel();
  AddHostCommands(console, context);
  AddMibCommands(console, out);

  if (!options.noConfig && !settings_.configFile.empty() && PathExists(settings_.configFile)) {
    korvax::IConfigurator::ApplyConfig(settings_.configFile.c_str());
  }
  return true;
}

bool Agent::RunLine(const std::string& line) {
  return kxrt::Console::Instance().Execute(line);
}

bool Agent::RunScript(const std::string& path) {
  ErrorCounter counter;
  bool read = kxrt::Console::Instance().ExecuteFile(path);
  return read && counter.errors() == 0;
}

}  // namespace kxagent
