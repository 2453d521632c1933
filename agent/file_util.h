// Small file helpers that report failures as one line of text.

#ifndef KXAGENT_FILE_UTIL_H_
#define KXAGENT_FILE_UTIL_H_

#include <string>

namespace kxagent {

// Reads a whole regular file into *text. False with "cannot read: REASON" in *error (a
// directory, a missing file, a read error).
bool ReadWholeFile(const std::string& path, std::string* text, std::string* error);

// True when something exists at path (a file, a directory, a dangling name is not).
bool PathExists(const std::string& path);

}  // namespace kxagent

#endif  // KXAGENT_FILE_UTIL_H_
