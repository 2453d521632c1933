// The settings file: INI text, read with inih. Keys live in the section [agent].

#ifndef KXRT_SETTINGS_H_
#define KXRT_SETTINGS_H_

#include <map>
#include <optional>
#include <string>

namespace kxrt {

class Settings {
 public:
  // Reads a file; false with "FILE:LINE: reason" (or "FILE: reason") in *error.
  bool LoadFile(const std::string& path, std::string* error);
  bool LoadString(const std::string& text, std::string* error);
  void Set(const std::string& section, const std::string& key, const std::string& value);
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // Integers, or true/false, yes/no, on/off (any case) as 1/0. nullopt when absent or neither.
  std::optional<int> GetFlag(const std::string& section, const std::string& key) const;

 private:
  std::map<std::string, std::map<std::string, std::string>> values_;
};

// The settings that KXGetIniFlag and the cipher read (section "agent").
Settings& CurrentSettings();

}  // namespace kxrt

#endif  // KXRT_SETTINGS_H_
