// kxagent's command line and the [agent] section of its settings file.

#ifndef KXAGENT_OPTIONS_H_
#define KXAGENT_OPTIONS_H_

#include <string>
#include <vector>

namespace kxagent {

// One source of console lines named on the command line.
struct Input {
  bool isScript = false;  // a script file, else one line from --exec
  std::string text;       // the file name or the line
  bool operator==(const Input& other) const {
    return isScript == other.isScript && text == other.text;
  }
};

struct Options {
  std::string settingsFile;     // empty: no settings file, every setting at its default
  std::string definitionsFile;  // empty: the built-in example
  std::vector<Input> inputs;    // --exec lines and script files, in command-line order
  bool noConfig = false;        // do not replay ConfigFile at start-up
  bool help = false;
};

// Reads the arguments after the program name. False with one line in *error for an unknown
// option or an option without its value.
bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error);

// The --help text.
const char* UsageText();

struct AgentSettings {
  std::string configFile = "kxagent.cfg";  // "" (ConfigFile=) means: none
  std::string keyFile = "kxagent.key";
  std::string consoleOwner = "console";
  int logLevel = 3;
};

// Loads the settings file (when path is not empty) into kxrt::CurrentSettings(), fills in the
// defaults of absent keys there too (the configurators and the cipher read them from there), and
// checks the values. False with one line in *error ("FILE: reason").
bool LoadAgentSettings(const std::string& path, AgentSettings* settings, std::string* error);

}  // namespace kxagent

#endif  // KXAGENT_OPTIONS_H_
