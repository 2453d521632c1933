// Number scanning and value printing shared by the parser, the row operations and the writer.

#include <cctype>
#include <cstdint>
#include <vector>

#include "configurator/internal.h"

namespace korvax {

bool ScanInt(const char* text, int* value) {
  const char* p = text;
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  if (!isdigit(static_cast<unsigned char>(*p))) return false;
  const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : INT32_MAX;
  int64_t magnitude = 0;
  for (; isdigit(static_cast<unsigned char>(*p)); ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) return false;
  }
  *value = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

bool PrintValue(const KX_ASN_VALUE_T& value, int mode, std::string* text) {
  // Most values fit the usual 2048 bytes; a longer one is printed again in a buffer of the size
  // the host asked for, so that a saved value is never cut.
  std::vector<char> buffer(2048);
  int needed = KXAsnValueSprintX(&value, buffer.data(), buffer.size(), mode);
  if (needed < 0) return false;
  if (static_cast<size_t>(needed) >= buffer.size()) {
    buffer.resize(static_cast<size_t>(needed) + 1);
    needed = KXAsnValueSprintX(&value, buffer.data(), buffer.size(), mode);
    if (needed < 0 || static_cast<size_t>(needed) >= buffer.size()) return false;
  }
  text->assign(buffer.data(), static_cast<size_t>(needed));
  return true;
}

std::string DisplayValue(const KX_ASN_VALUE_T& value) {
  char buffer[2048];
  buffer[0] = '\0';
  KXAsnValueSprint(&value, buffer, sizeof(buffer));
  return buffer;
}

}  // namespace korvax
