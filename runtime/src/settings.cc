// The settings file, read with inih. Section and key names are matched without regard to case,
// as people write INI files by hand. A load is all or nothing: a file with any bad line changes
// no setting, and a good one adds its keys over those already present.

#include "kxrt/settings.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <ini.h>

#include "kx_host.h"

namespace kxrt {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

using SectionMap = std::map<std::string, std::map<std::string, std::string>>;

struct ParseTarget {
  SectionMap values;
};

// inih calls this once per "key = value". A key given twice takes its last value, as people
// who append a line to override one expect.
int OnIniPair(void* user, const char* section, const char* name, const char* value) {
  auto* target = static_cast<ParseTarget*>(user);
  target->values[Lower(section)][Lower(name)] = value != nullptr ? value : "";
  return 1;
}

std::string ParseFailure(const std::string& where, int result) {
  if (result == -2) return where + ": out of memory";
  return where + ":" + std::to_string(result) +
         ": expected \"[section]\", \"key = value\" or a comment";
}

std::optional<int> ParseInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long value = strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX) return std::nullopt;
  if (text[0] == ' ' || text[0] == '\t') return std::nullopt;  // strtol skips leading blanks
  return static_cast<int>(value);
}

}  // namespace

bool Settings::LoadFile(const std::string& path, std::string* error) {
  ParseTarget target;
  int result = ini_parse(path.c_str(), OnIniPair, &target);
  if (result != 0) {
    if (error != nullptr) {
      *error =
          result == -1 ? path + ": cannot open: " + strerror(errno) : ParseFailure(path, result);
    }
    return false;
  }
  for (auto& [section, keys] : target.values) {
    for (auto& [key, value] : keys) values_[section][key] = value;
  }
  return true;
}

bool Settings::LoadString(const std::string& text, std::string* error) {
  ParseTarget target;
  int result = ini_parse_string(text.c_str(), OnIniPair, &target);
  if (result != 0) {
    if (error != nullptr) *error = ParseFailure("(settings text)", result);
    return false;
  }
  for (auto& [section, keys] : target.values) {
    for (auto& [key, value] : keys) values_[section][key] = value;
  }
  return true;
}

void Settings::Set(const std::string& section, const std::string& key, const std::string& value) {
  values_[Lower(section)][Lower(key)] = value;
}

std::optional<std::string> Settings::Get(const std::string& section, const std::string& key) const {
  auto keys = values_.find(Lower(section));
  if (keys == values_.end()) return std::nullopt;
  auto value = keys->second.find(Lower(key));
  if (value == keys->second.end()) return std::nullopt;
  return value->second;
}

std::optional<int> Settings::GetFlag(const std::string& section, const std::string& key) const {
  std::optional<std::string> text = Get(section, key);
  if (!text) return std::nullopt;
  if (std::optional<int> number = ParseInteger(*text)) return number;
  std::string word = Lower(*text);
  if (word == "true" || word == "yes" || word == "on") return 1;
  if (word == "false" || word == "no" || word == "off") return 0;
  return std::nullopt;
}

Settings& CurrentSettings() {
  static Settings* settings = new Settings();  // never destroyed: read during exit
  return *settings;
}

}  // namespace kxrt

int KXGetIniFlag(const char* key, int* flag) {
  if (key == nullptr || flag == nullptr) return 0;
  std::optional<int> value = kxrt::CurrentSettings().GetFlag("agent", key);
  if (!value) return 0;
  *flag = *value;
  return 1;
}
