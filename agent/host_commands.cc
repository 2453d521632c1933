#include "host_commands.h"

#include <memory>

#include "kxrt/cipher.h"
#include "saved_config.h"

namespace kxagent {
namespace {

using Words = std::vector<std::string>;

void Print(FILE* out, const std::string& text) {
  fwrite(text.data(), 1, text.size(), out);
  fflush(out);
}

// Enciphered columns are written with the cipher; without a key the writer could not write
// them, and a configuration that silently lost its secrets must not reach the disk.
bool EnsureCipherKey(const HostContext& context, std::string* error) {
  if (!context.hasEncipheredColumns || kxrt::HaveCipherKey()) return true;
  std::string reason;
  if (kxrt::LoadCipherKeyFile(context.keyFile, true, &reason)) return true;
  *error = "no cipher key for the enciphered columns: " + reason;
  return false;
}

bool Save(const HostContext& context, const Words& words) {
  if (words.size() > 1) {
    LogError("Usage: config save [<file>]");
    return false;
  }
  std::string path = words.empty() ? context.configFile : words[0];
  if (path.empty()) {
    LogError("Cannot save: no file given and no ConfigFile in the settings.");
    return false;
  }
  std::string error;
  if (!EnsureCipherKey(context, &error)) {
    LogError("Cannot save " + path + ": " + error);
    return false;
  }
  if (!SaveConfiguration(*context.fs, context.topLevel, path, &error)) {
    LogError(error);
    return false;
  }
  KXLog(3, ("Saved the configuration to " + path + ".\n").c_str());
  return true;
}

bool Show(const HostContext& context, const Words& words) {
  if (!words.empty()) {
    LogError("Usage: config show");
    return false;
  }
  std::string text, error;
  if (!EnsureCipherKey(context, &error) || !RenderConfiguration(context.topLevel, &text, &error)) {
    LogError("Cannot show the configuration: " + error);
    return false;
  }
  Print(context.out, text);
  return true;
}

bool Clear(const Words& words) {
  if (words.size() != 1) {
    LogError("Usage: config clear <owner>");
    return false;
  }
  korvax::IConfigurator::ClearConfig(words[0].c_str());
  return true;
}

bool Value(FILE* out, const Words& words) {
  if (words.size() > 1) {
    LogError("Usage: value [<name>]");
    return false;
  }
  Print(out, kxrt::Console::Instance().Value(words.empty() ? "?" : words[0]) + "\n");
  return true;
}

}  // namespace

void LogError(const std::string& text) {
  KXLog(0, (text + "\n").c_str());
}

void AddHostCommands(kxrt::Console& console, const HostContext& context) {
  auto shared = std::make_shared<HostContext>(context);
  console.AddBuiltin("config save", "console", "config save [<file>]",
                     "Saves every table's rows (to ConfigFile when no file is given).",
                     [shared](const Words& words) { return Save(*shared, words); });
  console.AddBuiltin("config show", "console", "config show",
                     "Shows the lines that config save would write.",
                     [shared](const Words& words) { return Show(*shared, words); });
  console.AddBuiltin("config clear", "console", "config clear <owner>",
                     "Removes the rows whose owner begins with <owner> (\"\" removes all).",
                     [](const Words& words) { return Clear(words); });
  console.AddBuiltin("value", "console", "value [<name>]",
                     "Shows a result value (\"?\", the last row index, when no name is given).",
                     [shared](const Words& words) { return Value(shared->out, words); });
  console.AddBuiltin("quit", "console", "quit", "Ends the agent.", [shared](const Words& words) {
    if (!words.empty()) {
      LogError("Usage: quit");
      return false;
    }
    if (shared->quit != nullptr) *shared->quit = true;
    return true;
  });
}

const std::vector<std::pair<std::string, std::vector<std::string>>>& HostSubcommands() {
  static const std::vector<std::pair<std::string, std::vector<std::string>>> kSubcommands = {
      {"config", {"clear", "execute", "save", "show"}},
      {"mib", {"get", "next", "set", "walk"}},
  };
  return kSubcommands;
}

}  // namespace kxagent
