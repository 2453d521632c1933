#include "file_util.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kxagent {

bool ReadWholeFile(const std::string& path, std::string* text, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = std::string("cannot read: ") + std::strerror(errno);
    return false;
  }
  struct stat info;
  if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    *error = "cannot read: it is a directory";
    return false;
  }
  std::string result;
  char buffer[8192];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) result.append(buffer, n);
  bool failed = std::ferror(file) != 0;
  int savedErrno = errno;
  std::fclose(file);
  if (failed) {
    *error = std::string("cannot read: ") + std::strerror(savedErrno);
    return false;
  }
  *text = std::move(result);
  return true;
}

bool PathExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace kxagent
