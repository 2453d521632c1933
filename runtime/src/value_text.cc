#include "value_text.h"

#include <string.h>

namespace kxrt {
namespace value_text {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendHexPair(unsigned char byte, std::string* out) {
  static const char kDigits[] = "0123456789abcdef";
  out->push_back(kDigits[byte >> 4]);
  out->push_back(kDigits[byte & 0x0f]);
}

size_t Utf8SequenceLength(const unsigned char* p, size_t n) {
  if (n == 0) return 0;
  unsigned char lead = p[0];
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xbf;  // allowed range of the second byte
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;   // overlong
    if (lead == 0xed) high = 0x9f;  // UTF-16 surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;   // overlong
    if (lead == 0xf4) high = 0x8f;  // above U+10FFFF
  } else {
    return 0;  // continuation byte, overlong 2-byte lead (c0, c1), or f5..ff
  }
  if (n < length) return 0;
  if (p[1] < low || p[1] > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (p[i] < 0x80 || p[i] > 0xbf) return 0;
  }
  return length;
}

bool NeedsDelForm(const unsigned char* data, size_t length) {
  if (length == 0) return false;
  return data[0] == kDel || memchr(data, 0, length) != nullptr;
}

std::string StringScanText(const unsigned char* data, size_t length) {
  if (!NeedsDelForm(data, length)) return std::string(reinterpret_cast<const char*>(data), length);
  std::string text(1, static_cast<char>(kDel));
  text.reserve(1 + 2 * length);
  for (size_t i = 0; i < length; ++i) AppendHexPair(data[i], &text);
  return text;
}

}  // namespace value_text
}  // namespace kxrt
