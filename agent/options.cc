#include "options.h"

#include "kxrt/settings.h"

namespace kxagent {
namespace {

constexpr const char* kSection = "agent";

// "--name VALUE" or "--name=VALUE": true when args[*i] is the option, with the value taken.
bool TakeValue(const std::vector<std::string>& args, size_t* i, const std::string& name,
               std::string* value, std::string* error) {
  const std::string& arg = args[*i];
  if (arg.compare(0, name.size() + 1, name + "=") == 0) {
    *value = arg.substr(name.size() + 1);
    return true;
  }
  if (arg != name) return false;
  if (*i + 1 >= args.size()) {
    *error = "option " + name + " needs a value";
    return true;
  }
  *value = args[++*i];
  return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error) {
  error->clear();
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      options->inputs.push_back({true, arg});
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--no-config") {
      options->noConfig = true;
    } else if (TakeValue(args, &i, "--exec", &value, error)) {
      options->inputs.push_back({false, value});
    } else if (TakeValue(args, &i, "--settings", &value, error)) {
      options->settingsFile = value;
    } else if (TakeValue(args, &i, "--definitions", &value, error)) {
      options->definitionsFile = value;
    } else {
      *error = "unknown option " + arg;
    }
    if (!error->empty()) return false;
  }
  return true;
}

const char* UsageText() {
  return "Usage: kxagent [OPTION]... [SCRIPT]...\n"
         "Runs the agent's console on the tables of a definitions file (the built-in example\n"
         "without one). Lines come from --exec and the scripts, in the order given, else from\n"
         "standard input (with line editing and completion when it is a terminal).\n"
         "\n"
         "  --settings FILE     read the [agent] settings from FILE (INI)\n"
         "  --definitions FILE  read the table definitions from FILE (JSON)\n"
         "  --exec LINE         run LINE; may be repeated\n"
         "  --no-config         do not replay the saved configuration at start-up\n"
         "  --help              show this text\n"
         "\n"
         "The exit status is 1 when a line could not be run (an unknown command, an unreadable\n"
         "file, a failing host command) or start-up failed, 2 for a bad command line.\n";
}

bool LoadAgentSettings(const std::string& path, AgentSettings* settings, std::string* error) {
  kxrt::Settings& current = kxrt::CurrentSettings();
  if (!path.empty() && !current.LoadFile(path, error)) return false;
  std::string where = path.empty() ? "settings" : path;

  auto text = [&](const char* key, std::string* value) {
    if (auto given = current.Get(kSection, key)) {
      *value = *given;
    } else {
      current.Set(kSection, key, *value);
    }
  };
  text("ConfigFile", &settings->configFile);
  text("KeyFile", &settings->keyFile);
  text("ConsoleOwner", &settings->consoleOwner);
  if (settings->consoleOwner.empty()) {
    *error = where + ": [agent] ConsoleOwner must not be empty";
    return false;
  }
  if (settings->keyFile.empty()) {
    *error = where + ": [agent] KeyFile must not be empty";
    return false;
  }
  if (current.Get(kSection, "LogLevel")) {
    auto level = current.GetFlag(kSection, "LogLevel");
    if (!level || *level < 0 || *level > 4) {
      *error = where + ": [agent] LogLevel must be a number from 0 (errors) to 4 (debug), not '" +
               *current.Get(kSection, "LogLevel") + "'";
      return false;
    }
    settings->logLevel = *level;
  }
  if (current.Get(kSection, "ConfigRemoveOnFail") &&
      !current.GetFlag(kSection, "ConfigRemoveOnFail")) {
    *error = where + ": [agent] ConfigRemoveOnFail must be 1/0, true/false, yes/no or on/off, " +
             "not '" + *current.Get(kSection, "ConfigRemoveOnFail") + "'";
    return false;
  }
  return true;
}

}  // namespace kxagent
