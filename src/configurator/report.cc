// The one routine through which the configurator's messages reach the log.

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "configurator/internal.h"

namespace korvax {

void ReportError(const char* format, ...) {
  char line[2048];
  size_t used = 0;
  const char* owner = KXConsoleGetOwner();
  if (owner != nullptr && owner[0] != '\0') {
    int n = snprintf(line, sizeof(line), "%s: ", owner);
    // Room must stay for the line feed and the terminator.
    used = n < 0 ? 0 : static_cast<size_t>(n);
    if (used > sizeof(line) - 2) used = sizeof(line) - 2;
  }
  line[used] = '\0';
  va_list args;
  va_start(args, format);
  vsnprintf(line + used, sizeof(line) - used - 1, format, args);
  va_end(args);
  size_t length = strlen(line);
  line[length] = '\n';
  line[length + 1] = '\0';
  KXLog(2, line);
}

const char* ErrorStatusName(int status) {
  static const char* const s_errorStatusNames[] = {"noError(0)",
                                                   "tooBig(1)",
                                                   "noSuchName(2)",
                                                   "badValue(3)",
                                                   "readOnly(4)",
                                                   "genErr(5)",
                                                   "noAccess(6)",
                                                   "wrongType(7)",
                                                   "wrongLength(8)",
                                                   "wrongEncoding(9)",
                                                   "wrongValue(10)",
                                                   "noCreation(11)",
                                                   "inconsistentValue(12)",
                                                   "resourceUnavailable(13)",
                                                   "commitFailed(14)",
                                                   "undoFailed(15)",
                                                   "authorisationError(16)",
                                                   "notWritable(17)",
                                                   "inconsistentName(18)"};
  if (status >= 0 && status <= 18) return s_errorStatusNames[status];
  static char unknown[32];
  snprintf(unknown, sizeof(unknown), "unknownError(%d)", status);
  return unknown;
}

}  // namespace korvax
