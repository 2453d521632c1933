#include "completion.h"

#include <algorithm>
#include <set>

#include "host_commands.h"

namespace kxagent {
namespace {

// The width the library pads a property name to in its help line.
constexpr size_t kPropertyNameWidth = 20;

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> SplitBlanks(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    size_t start = text.find_first_not_of(" \t", i);
    if (start == std::string::npos) break;
    size_t end = text.find_first_of(" \t", start);
    if (end == std::string::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    i = end;
  }
  return words;
}

void AddMatching(const std::vector<std::string>& words, const std::string& prefix,
                 std::set<std::string>* out) {
  for (const std::string& w : words) {
    if (w.compare(0, prefix.size(), prefix) == 0) out->insert(w);
  }
}

// Candidates for a word after a configurator's command name.
void CompleteArgument(const CommandWords& words, const std::string& prefix,
                      std::set<std::string>* out) {
  size_t equals = prefix.find('=');
  if (equals != std::string::npos) {
    // "name=va": the enumeration names of that property.
    std::string name = prefix.substr(0, equals);
    for (const auto& property : words.properties) {
      if (property.first != name) continue;
      for (const std::string& e : property.second) {
        std::string word = name + "=" + e;
        if (word.compare(0, prefix.size(), prefix) == 0) out->insert(word);
      }
    }
    return;
  }
  AddMatching(words.verbs, prefix, out);
  AddMatching(words.keywords, prefix, out);
  for (const auto& property : words.properties) {
    if (property.first.compare(0, prefix.size(), prefix) == 0) out->insert(property.first + "=");
  }
}

}  // namespace

CommandWords WordsOf(const KX_CONSOLE_CMD_T& descriptor) {
  CommandWords result;
  std::set<std::string> verbs;
  if (descriptor.syntax != nullptr) {
    std::string syntax = descriptor.syntax;
    size_t start = 0;
    while (start < syntax.size()) {
      size_t end = syntax.find('\n', start);
      if (end == std::string::npos) end = syntax.size();
      std::vector<std::string> words = SplitBlanks(syntax.substr(start, end - start));
      if (words.size() >= 2 && words[1][0] != '<' && words[1][0] != '[') verbs.insert(words[1]);
      start = end + 1;
    }
  }
  if (verbs.count("create")) {
    verbs.insert({"createAndGo", "createAndWait", "createpersistent", "activate"});
    result.keywords.push_back("owner=");
  }
  if (!verbs.empty()) result.keywords.insert(result.keywords.begin(), "index=");
  result.verbs.assign(verbs.begin(), verbs.end());

  for (int32_t i = 0; descriptor.propertyLines != nullptr && i < descriptor.propertyCount; ++i) {
    const char* line = descriptor.propertyLines[i];
    if (line == nullptr || line[0] == '\0') continue;
    if (line[0] == '\t') {
      if (!result.properties.empty()) result.properties.back().second.push_back(line + 1);
      continue;
    }
    std::string name = Trim(std::string(line).substr(0, kPropertyNameWidth));
    if (!name.empty()) result.properties.push_back({name, {}});
  }
  return result;
}

std::vector<std::string> CompleteLastWord(const std::string& line, const kxrt::Console& console) {
  size_t lastBlank = line.find_last_of(" \t");
  std::string prefix = lastBlank == std::string::npos ? line : line.substr(lastBlank + 1);
  std::vector<std::string> before =
      SplitBlanks(lastBlank == std::string::npos ? "" : line.substr(0, lastBlank));
  std::set<std::string> out;
  if (!prefix.empty() && prefix[0] == '"') return {};  // inside a quoted word: nothing to offer

  if (before.empty()) {
    AddMatching(console.CommandNames(), prefix, &out);
  } else if (before[0] == "help") {
    if (before.size() == 1) AddMatching(console.CommandNames(), prefix, &out);
  } else if (const KX_CONSOLE_CMD_T* cmd = console.Find(before[0])) {
    CompleteArgument(WordsOf(*cmd), prefix, &out);
  } else if (before.size() == 1) {
    for (const auto& entry : HostSubcommands()) {
      if (entry.first == before[0]) AddMatching(entry.second, prefix, &out);
    }
  }
  return std::vector<std::string>(out.begin(), out.end());
}

}  // namespace kxagent
