// Console words. SplitWords is the one tokenizer of every console line and QuoteWord its exact
// inverse, so anything the runtime prints as a word (values in saved configurations, file
// names) reads back byte for byte.

#include "kxrt/words.h"

#include "value_text.h"

namespace kxrt {
namespace {

using value_text::HexDigit;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Handles the escape whose backslash is at line[i]: appends what it stands for to *word and
// returns the number of characters it took (the backslash included), or 0 for \x00.
size_t TakeEscape(const std::string& line, size_t i, std::string* word) {
  if (i + 1 >= line.size()) {  // a backslash that ends the line stands for itself
    word->push_back('\\');
    return 1;
  }
  char next = line[i + 1];
  switch (next) {
    case '\\':
    case '"':
    case ' ':
      word->push_back(next);
      return 2;
    case 'n':
      word->push_back('\n');
      return 2;
    case 'r':
      word->push_back('\r');
      return 2;
    case 't':
      word->push_back('\t');
      return 2;
    case 'x':
      if (i + 3 < line.size() && HexDigit(line[i + 2]) >= 0 && HexDigit(line[i + 3]) >= 0) {
        int byte = HexDigit(line[i + 2]) << 4 | HexDigit(line[i + 3]);
        if (byte == 0) return 0;
        word->push_back(static_cast<char>(byte));
        return 4;
      }
      break;
    default:
      break;
  }
  word->push_back('\\');  // before any other character the backslash stands for itself
  return 1;
}

// Bytes that QuoteWord must not leave bare: they would split, group, escape, start a comment,
// read as an assignment, or not survive a terminal.
bool NeedsQuoting(unsigned char c) {
  return c == ' ' || c == '"' || c == '\\' || c == '#' || c == '=' || c < 0x20 ||
         c == value_text::kDel;
}

}  // namespace

bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error) {
  words->clear();
  std::string word;
  bool inWord = false;  // a word has started, possibly still empty ("")
  bool inQuotes = false;
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == '\\') {
      size_t taken = TakeEscape(line, i, &word);
      if (taken == 0) {
        if (error != nullptr) *error = "\\x00 is not allowed: a word cannot hold a NUL byte";
        return false;
      }
      i += taken;
      inWord = true;
    } else if (c == '"') {
      inQuotes = !inQuotes;
      inWord = true;
      ++i;
    } else if (IsBlank(c) && !inQuotes) {
      if (inWord) words->push_back(word);
      word.clear();
      inWord = false;
      ++i;
    } else {
      word.push_back(c);
      inWord = true;
      ++i;
    }
  }
  if (inQuotes) {
    if (error != nullptr) *error = "unterminated double quote";
    return false;
  }
  if (inWord) words->push_back(word);
  return true;
}

std::string QuoteWord(const std::string& bytes) {
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();

  bool bare = size > 0;
  for (size_t i = 0; bare && i < size;) {
    size_t utf8 = value_text::Utf8SequenceLength(data + i, size - i);
    bare = utf8 != 0 && !NeedsQuoting(data[i]);
    i += utf8;
  }
  if (bare) return bytes;

  std::string quoted = "\"";
  for (size_t i = 0; i < size;) {
    unsigned char c = data[i];
    size_t utf8 = value_text::Utf8SequenceLength(data + i, size - i);
    if (c == '"' || c == '\\') {
      quoted.push_back('\\');
      quoted.push_back(static_cast<char>(c));
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (utf8 == 0 || c < 0x20 || c == value_text::kDel) {
      // A NUL gets \x00 too, which SplitWords refuses: loud rather than silently cut.
      quoted += "\\x";
      value_text::AppendHexPair(c, &quoted);
    } else {
      quoted.append(bytes, i, utf8);
      i += utf8;
      continue;
    }
    ++i;
  }
  quoted.push_back('"');
  return quoted;
}

}  // namespace kxrt
