// KXAsnValueScan: text to typed value, one strict reader per type letter. Every reader takes
// the whole text or nothing; the result is built in a scratch value and moved into the
// caller's value only on success, so a refused text leaves the value untouched.

#include <string.h>

#include <string>

#include "kx_host.h"
#include "value_text.h"

namespace {

using kxrt::value_text::HexDigit;

// Reads an unsigned decimal number of digits only (at least one) that is at most max, from
// *p up to the first non-digit, and moves *p past it.
bool ReadDecimal(const char** p, uint64_t max, uint64_t* out) {
  const char* s = *p;
  if (*s < '0' || *s > '9') return false;
  uint64_t value = 0;
  while (*s >= '0' && *s <= '9') {
    value = value * 10 + static_cast<uint64_t>(*s - '0');
    if (value > max) return false;
    ++s;
  }
  *out = value;
  *p = s;
  return true;
}

// A whole text that is one unsigned decimal number at most max.
bool ReadWholeDecimal(const char* text, uint64_t max, uint64_t* out) {
  return ReadDecimal(&text, max, out) && *text == '\0';
}

bool ScanInteger(const char* text, KX_ASN_VALUE_T* value) {
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  uint64_t magnitude;
  if (!ReadWholeDecimal(text, negative ? 2147483648u : 2147483647u, &magnitude)) return false;
  value->type = KX_ASN_INTEGER;
  value->integer = static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude)
                                                 : static_cast<int64_t>(magnitude));
  return true;
}

bool ScanUnsigned(int32_t type, const char* text, KX_ASN_VALUE_T* value) {
  uint64_t number;
  if (!ReadWholeDecimal(text, UINT32_MAX, &number)) return false;
  value->type = type;
  value->integer = static_cast<int32_t>(static_cast<uint32_t>(number));
  return true;
}

bool SetOctets(int32_t type, const std::string& bytes, KX_ASN_VALUE_T* value) {
  value->type = type;
  return KXOctetStringSetN(&value->octets, bytes.data(), bytes.size()) != 0;
}

// Hex pairs, each octet optionally followed by one ':' before the next one.
bool ScanHex(const char* text, KX_ASN_VALUE_T* value) {
  std::string bytes;
  const char* p = text;
  while (*p != '\0') {
    if (!bytes.empty() && *p == ':') {
      ++p;
      if (*p == '\0') return false;  // trailing separator
    }
    int high = HexDigit(p[0]);
    int low = high < 0 ? -1 : HexDigit(p[1]);
    if (low < 0) return false;  // non-hex digit, or an odd digit count
    bytes.push_back(static_cast<char>(high << 4 | low));
    p += 2;
  }
  return SetOctets(KX_ASN_OCTET_STRING, bytes, value);
}

// Numbers 0..255 separated by '.'; at least `min` of them and at most `max`.
bool ReadDottedOctets(const char* text, size_t min, size_t max, std::string* bytes) {
  const char* p = text;
  if (*p == '\0') return min == 0;
  while (true) {
    uint64_t octet;
    if (bytes->size() == max || !ReadDecimal(&p, 255, &octet)) return false;
    bytes->push_back(static_cast<char>(octet));
    if (*p == '\0') return bytes->size() >= min;
    if (*p++ != '.') return false;
  }
}

bool ScanDottedDecimal(const char* text, KX_ASN_VALUE_T* value) {
  std::string bytes;
  return ReadDottedOctets(text, 0, SIZE_MAX, &bytes) &&
         SetOctets(KX_ASN_OCTET_STRING, bytes, value);
}

bool ScanIpAddress(const char* text, KX_ASN_VALUE_T* value) {
  std::string bytes;
  return ReadDottedOctets(text, 4, 4, &bytes) && SetOctets(KX_ASN_IPADDRESS, bytes, value);
}

// Literal text, or DEL followed by the hex pairs of the bytes (see value_text.h).
bool ScanString(const char* text, KX_ASN_VALUE_T* value) {
  if (static_cast<unsigned char>(text[0]) != kxrt::value_text::kDel) {
    return SetOctets(KX_ASN_OCTET_STRING, text, value);
  }
  std::string bytes;
  for (const char* p = text + 1; *p != '\0'; p += 2) {
    int high = HexDigit(p[0]);
    int low = high < 0 ? -1 : HexDigit(p[1]);
    if (low < 0) return false;
    bytes.push_back(static_cast<char>(high << 4 | low));
  }
  return SetOctets(KX_ASN_OCTET_STRING, bytes, value);
}

bool ScanObjectId(const char* text, KX_ASN_VALUE_T* value) {
  value->type = KX_ASN_OBJECT_ID;
  if (*text == '\0') return true;  // the empty identifier
  return KXObjidSetStr(&value->oid, text) != 0;
}

bool ScanInto(char letter, const char* text, KX_ASN_VALUE_T* value) {
  switch (letter) {
    case 'i':
      return ScanInteger(text, value);
    case 'u':
      return ScanUnsigned(KX_ASN_UNSIGNED, text, value);
    case 't':
      return ScanUnsigned(KX_ASN_TIMETICKS, text, value);
    case 'x':
      return ScanHex(text, value);
    case 'd':
      return ScanDottedDecimal(text, value);
    case 's':
      return ScanString(text, value);
    case 'o':
      return ScanObjectId(text, value);
    case 'a':
      return ScanIpAddress(text, value);
    default:
      return false;
  }
}

}  // namespace

int KXAsnValueScan(char letter, const char* text, KX_ASN_VALUE_T* value) {
  if (text == nullptr || value == nullptr) return 0;
  KX_ASN_VALUE_T scanned;
  KXAsnValueInit(&scanned);
  if (!ScanInto(letter, text, &scanned)) {
    KXAsnValueFree(&scanned);
    return 0;
  }
  KXAsnValueFree(value);
  *value = scanned;
  return 1;
}
