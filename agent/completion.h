// Tab completion for the interactive console: command names, then the words a command takes.

#ifndef KXAGENT_COMPLETION_H_
#define KXAGENT_COMPLETION_H_

#include <string>
#include <vector>

#include "kx_host.h"
#include "kxrt/console.h"

namespace kxagent {

// What a configurator's descriptor says it accepts.
struct CommandWords {
  std::vector<std::string> verbs;     // create, reset, store...
  std::vector<std::string> keywords;  // "index=", "owner="
  // Property names with the enumeration names listed under each in the help.
  std::vector<std::pair<std::string, std::vector<std::string>>> properties;
};

// Reads a descriptor: verbs from the syntax lines ("cmd verb [...]"; a table that creates rows
// takes every create verb and activate too), property names from the first 20 characters of
// each property line that does not start with a tab, and the tab lines as the enumeration names
// of the property above them.
CommandWords WordsOf(const KX_CONSOLE_CMD_T& descriptor);

// The words that may replace the last word of line (the text before the cursor; the last word
// is what follows its last blank, empty after a blank). Each candidate is a whole word that
// starts with the last word, sorted, without duplicates.
std::vector<std::string> CompleteLastWord(const std::string& line, const kxrt::Console& console);

}  // namespace kxagent

#endif  // KXAGENT_COMPLETION_H_
