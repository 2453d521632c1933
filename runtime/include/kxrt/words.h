// Console words: how a line is split into words, and how any bytes are quoted into one word.
// QuoteWord and SplitWords are exact inverses: for every byte string s without NUL,
// SplitWords(QuoteWord(s)) gives back the single word s.

#ifndef KXRT_WORDS_H_
#define KXRT_WORDS_H_

#include <string>
#include <vector>

namespace kxrt {

// Splits a line into words. Blanks (space, tab) separate words; double quotes group, also in the
// middle of a word (owner="a b" is the word owner=a b); "" is an empty word. A backslash escapes:
// \\ \" \  (blank) \n \r \t and \xHH (HH two hex digits, not 00); before any other character it
// stands for itself. Returns false with a one-line reason in *error for an unterminated quote
// or \x00.
bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error);

// The shortest safe spelling of bytes as one word: unchanged when it has no blank, quote,
// backslash, '#', '=', control byte, DEL or invalid UTF-8 and is not empty; otherwise in double
// quotes with \" \\ \n \r \t and \xHH escapes. bytes must not hold NUL.
std::string QuoteWord(const std::string& bytes);

}  // namespace kxrt

#endif  // KXRT_WORDS_H_
