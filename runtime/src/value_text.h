// Byte-level helpers shared by the value scanner, the value printer and the console words:
// hexadecimal digits, UTF-8 well-formedness, and the escaped "DEL form" of octet strings.
//
// The DEL form exists because console words are C strings: a byte 0 cannot travel inside one.
// A string that holds a NUL byte, or that itself begins with DEL (0x7f), is written as DEL
// followed by the lowercase hex pairs of all its bytes; the 's' scan reads a text that begins
// with DEL that way. People never type DEL, so every text they type still means itself.

#ifndef KXRT_VALUE_TEXT_H_
#define KXRT_VALUE_TEXT_H_

#include <stddef.h>

#include <string>

#include "kx_host.h"

namespace kxrt {
namespace value_text {

constexpr unsigned char kDel = 0x7f;

// The value 0..15 of a hexadecimal digit (either case), or -1.
int HexDigit(char c);

// Appends the two lowercase hex digits of byte.
void AppendHexPair(unsigned char byte, std::string* out);

// The length (1..4) of the well-formed UTF-8 sequence that starts at p, looking at no more
// than n bytes, or 0 when the bytes there are not well-formed UTF-8 (stray continuation byte,
// truncated or overlong sequence, surrogate, code point above U+10FFFF).
size_t Utf8SequenceLength(const unsigned char* p, size_t n);

// True when the bytes must be written in the DEL form: they hold a NUL or begin with DEL.
bool NeedsDelForm(const unsigned char* data, size_t length);

// The text that the 's' scan turns back into exactly these bytes: the bytes themselves, or
// their DEL form (see above). Never holds a NUL.
std::string StringScanText(const unsigned char* data, size_t length);

}  // namespace value_text
}  // namespace kxrt

#endif  // KXRT_VALUE_TEXT_H_
