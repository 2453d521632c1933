#include "kxrt/words.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using kxrt::QuoteWord;
using kxrt::SplitWords;
using Words = std::vector<std::string>;

Words Split(const std::string& line) {
  Words words;
  std::string error;
  EXPECT_TRUE(SplitWords(line, &words, &error)) << line << ": " << error;
  EXPECT_EQ(error, "");
  return words;
}

TEST(SplitWords, SplitsGroupsAndEscapes) {
  const struct {
    std::string line;
    Words words;
  } cases[] = {
      {"", {}},
      {" \t ", {}},
      {"tbl create index=3", {"tbl", "create", "index=3"}},
      {"  a\t\tb  ", {"a", "b"}},
      {"owner=\"a b\"", {"owner=a b"}},
      {"a\"b c\"d e", {"ab cd", "e"}},
      {"\"\"", {""}},
      {"x \"\" y", {"x", "", "y"}},
      {"name=\"\"", {"name="}},
      {"\"\"\"\"", {""}},
      {R"(a\ b)", {"a b"}},
      {R"("q\"uote" back\\slash)", {"q\"uote", "back\\slash"}},
      {R"("\n\r\t")", {"\n\r\t"}},
      {R"(\x41\x7f\xFF)", {"A\x7f\xff"}},
      {R"(\q \x4 \xg1)", {"\\q", "\\x4", "\\xg1"}},  // unknown escapes keep the backslash
      {"end\\", {"end\\"}},
      {"#comment", {"#comment"}},
      {"\"a\tb\"", {"a\tb"}},
      {"a\nb", {"a\nb"}},  // only space and tab separate
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.line), c.words) << c.line;
}

TEST(SplitWords, RefusesUnterminatedQuoteAndNulEscape) {
  for (const std::string line : {"a \"b", "\"", "x=\"a\\\"", "a \\x00 b", "\"\\x00\""}) {
    Words words = {"stale"};
    std::string error;
    EXPECT_FALSE(SplitWords(line, &words, &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(QuoteWord, LeavesPlainWordsBareAndQuotesTheRest) {
  const struct {
    std::string bytes;
    std::string word;
  } cases[] = {
      {"cfg", "cfg"},
      {"-17", "-17"},
      {"1.3.6.1", "1.3.6.1"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},
      {"@x", "@x"},
      {"", "\"\""},
      {"a b", "\"a b\""},
      {"a=b", "\"a=b\""},
      {"#x", "\"#x\""},
      {"say \"hi\"\\", R"("say \"hi\"\\")"},
      {"\t\n\r", R"("\t\n\r")"},
      {"\x01\x7f", R"("\x01\x7f")"},
      {"\xff\xc3", R"("\xff\xc3")"},            // bytes that are not UTF-8
      {"\xc0\xaf", R"("\xc0\xaf")"},            // overlong
      {"\xed\xa0\x80", R"("\xed\xa0\x80")"},    // surrogate
      {"\xc3\xa9 \xff", "\"\xc3\xa9 \\xff\""},  // valid UTF-8 stays literal inside quotes
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteWord(c.bytes), c.word);
}

// Every byte string without NUL survives QuoteWord and SplitWords unchanged, as one word, also
// when it is glued behind "name=" the way saved configuration lines carry values.
TEST(QuoteWord, SplitWordsInvertsItForRandomBytes) {
  std::mt19937 rng(20240611);
  const std::string tricky = " \t\"\\=#\n\r\x7f\x01xA\xc3\xa9\xff\xe2\x82\xac";
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    size_t length = rng() % 12;
    for (size_t i = 0; i < length; ++i) {
      bytes.push_back(rng() % 2 ? tricky[rng() % tricky.size()]
                                : static_cast<char>(1 + rng() % 255));
    }
    std::string word = QuoteWord(bytes);
    EXPECT_EQ(Split(word), Words{bytes}) << word;
    EXPECT_EQ(Split("tbl name=" + word + " x"), (Words{"tbl", "name=" + bytes, "x"})) << word;
  }
}

}  // namespace
