// Value text: KXAsnValueSprint for people, KXAsnValueSprintX for configuration scripts. The
// script forms are built as plain bytes first, then quoted into exactly one console word, so
// that splitting the line and scanning the word with the mode's letter gives back the value.

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "kx_host.h"
#include "kxrt/cipher.h"
#include "kxrt/words.h"
#include "value_text.h"

namespace {

using kxrt::value_text::AppendHexPair;
using kxrt::value_text::kDel;
using kxrt::value_text::Utf8SequenceLength;

enum SprintMode { kModePlain = 1, kModeEnciphered = 3, kModeHex = 5, kModeDecimal = 7 };

// Copies text into buf the way snprintf would and returns the length the whole text needs.
int CopyOut(const std::string& text, char* buf, size_t size) {
  if (size > 0) {
    size_t take = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(buf, text.data(), take);
    buf[take] = '\0';
  }
  return text.size() > INT_MAX ? INT_MAX : static_cast<int>(text.size());
}

// A value that has no text in the requested mode: empty text in buf, and a negative result.
int Unprintable(char* buf, size_t size) {
  if (size > 0) buf[0] = '\0';
  return -1;
}

std::string Decimal(int64_t number) {
  char text[24];
  snprintf(text, sizeof text, "%lld", static_cast<long long>(number));
  return text;
}

std::string ObjidText(const KX_OBJID_T& oid) {
  std::string text;
  for (uint32_t i = 0; i < oid.count; ++i) {
    if (i > 0) text.push_back('.');
    text += Decimal(oid.ids[i]);
  }
  return text;
}

std::string JoinOctets(const KX_OCTET_STRING_T& os, bool hex) {
  std::string text;
  for (uint32_t i = 0; i < os.length; ++i) {
    if (i > 0) text.push_back(hex ? ':' : '.');
    if (hex) {
      AppendHexPair(os.data[i], &text);
    } else {
      text += Decimal(os.data[i]);
    }
  }
  return text;
}

// Bytes as readable text: well-formed UTF-8 as it is, control bytes, DEL and bytes that are
// not UTF-8 as \xHH. Not meant to be read back.
std::string DisplayText(const KX_OCTET_STRING_T& os) {
  std::string text;
  for (uint32_t i = 0; i < os.length;) {
    unsigned char c = os.data[i];
    size_t utf8 = Utf8SequenceLength(os.data + i, os.length - i);
    if (utf8 == 0 || c < 0x20 || c == kDel) {
      text += "\\x";
      AppendHexPair(c, &text);
      ++i;
    } else {
      text.append(reinterpret_cast<const char*>(os.data + i), utf8);
      i += utf8;
    }
  }
  return text;
}

uint32_t AsUnsigned(const KX_ASN_VALUE_T& value) {
  return static_cast<uint32_t>(value.integer);
}

// The plain (mode 1) text of a value before quoting: what the scan letter of its type reads
// back. False for tags that no scan produces back (NULL, the exceptions, unknown tags) and for
// an IpAddress that does not hold exactly four octets.
bool PlainText(const KX_ASN_VALUE_T& value, std::string* text) {
  switch (value.type) {
    case KX_ASN_INTEGER:
      *text = Decimal(value.integer);
      return true;
    case KX_ASN_UNSIGNED:
    case KX_ASN_COUNTER:  // reads back as unsigned: no letter scans a Counter
    case KX_ASN_TIMETICKS:
      *text = Decimal(AsUnsigned(value));
      return true;
    case KX_ASN_OCTET_STRING:
      *text = kxrt::value_text::StringScanText(value.octets.data, value.octets.length);
      return true;
    case KX_ASN_OBJECT_ID:
      *text = ObjidText(value.oid);
      return true;
    case KX_ASN_IPADDRESS:
      if (value.octets.length != 4) return false;
      *text = JoinOctets(value.octets, /*hex=*/false);
      return true;
    default:
      return false;
  }
}

// The unquoted script text of value in mode, or false when the mode cannot express it.
bool ScriptText(const KX_ASN_VALUE_T& value, int mode, std::string* text) {
  switch (mode) {
    case kModePlain:
      return PlainText(value, text);
    case kModeEnciphered: {
      std::string clear;
      return PlainText(value, &clear) && kxrt::Encrypt(clear, text);
    }
    case kModeHex:
    case kModeDecimal:
      if (value.type != KX_ASN_OCTET_STRING) return false;
      *text = JoinOctets(value.octets, mode == kModeHex);
      return true;
    default:
      return false;
  }
}

std::string DisplayTextOf(const KX_ASN_VALUE_T& value) {
  switch (value.type) {
    case KX_ASN_INTEGER:
      return Decimal(value.integer);
    case KX_ASN_UNSIGNED:
    case KX_ASN_COUNTER:
    case KX_ASN_TIMETICKS:
      return Decimal(AsUnsigned(value));
    case KX_ASN_OCTET_STRING:
      return DisplayText(value.octets);
    case KX_ASN_OBJECT_ID:
      return ObjidText(value.oid);
    case KX_ASN_IPADDRESS:
      return JoinOctets(value.octets, /*hex=*/false);
    case KX_ASN_NULL:
      return "";
    case KX_ASN_NO_SUCH_OBJECT:
      return "noSuchObject";
    case KX_ASN_NO_SUCH_INSTANCE:
      return "noSuchInstance";
    case KX_ASN_END_OF_MIB_VIEW:
      return "endOfMibView";
    default: {
      char text[32];
      snprintf(text, sizeof text, "(unknown type 0x%02x)", static_cast<unsigned>(value.type));
      return text;
    }
  }
}

}  // namespace

int KXAsnValueSprint(const KX_ASN_VALUE_T* value, char* buf, size_t size) {
  return CopyOut(DisplayTextOf(*value), buf, size);
}

int KXAsnValueSprintX(const KX_ASN_VALUE_T* value, char* buf, size_t size, int mode) {
  std::string text;
  if (!ScriptText(*value, mode, &text)) return Unprintable(buf, size);
  return CopyOut(kxrt::QuoteWord(text), buf, size);
}
