#include "saved_config.h"

#include <stdio.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>

namespace kxagent {

bool RenderConfiguration(const std::vector<korvax::IConfigurator*>& configurators,
                         std::string* text, std::string* error) {
  // The writer needs a FILE*; a memory stream collects its lines so that nothing reaches the
  // disk until the whole text is known to be complete.
  char* buffer = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&buffer, &size);
  if (stream == nullptr) {
    *error = std::string("cannot collect the configuration: ") + std::strerror(errno);
    return false;
  }
  for (korvax::IConfigurator* c : configurators) c->WritePrimitiveState(stream);
  bool failed = ferror(stream) != 0;
  failed |= fclose(stream) != 0;
  if (!failed) text->assign(buffer, size);
  free(buffer);
  if (failed) {
    *error = "cannot collect the configuration: out of memory";
    return false;
  }
  return true;
}

bool SaveConfiguration(FileSystem& fs, const std::vector<korvax::IConfigurator*>& configurators,
                       const std::string& path, std::string* error) {
  std::string text, reason;
  if (!RenderConfiguration(configurators, &text, &reason) ||
      !ReplaceFile(fs, path, text, &reason)) {
    *error = "Cannot save " + path + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace kxagent
