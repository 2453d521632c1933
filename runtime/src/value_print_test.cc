#include <string.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kx_host.h"
#include "kxrt/cipher.h"
#include "kxrt/words.h"

namespace {

// An owning value for tests.
class Value {
 public:
  Value() { KXAsnValueInit(&v_); }
  ~Value() { KXAsnValueFree(&v_); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;

  static Value* Integer(int32_t type, int32_t n) {
    Value* value = new Value;
    value->v_.type = type;
    value->v_.integer = n;
    return value;
  }
  static Value* Octets(int32_t type, const std::string& bytes) {
    Value* value = new Value;
    value->v_.type = type;
    KXOctetStringSetN(&value->v_.octets, bytes.data(), bytes.size());
    return value;
  }
  static Value* Oid(const std::vector<uint32_t>& ids) {
    Value* value = new Value;
    value->v_.type = KX_ASN_OBJECT_ID;
    KXObjidRealloc(&value->v_.oid, static_cast<uint32_t>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) value->v_.oid.ids[i] = ids[i];
    return value;
  }

  KX_ASN_VALUE_T* get() { return &v_; }
  const KX_ASN_VALUE_T& operator*() const { return v_; }

 private:
  KX_ASN_VALUE_T v_;
};

std::string Bytes(const KX_OCTET_STRING_T& os) {
  return std::string(reinterpret_cast<const char*>(os.data), os.length);
}

std::vector<uint32_t> Ids(const KX_OBJID_T& oid) {
  return std::vector<uint32_t>(oid.ids, oid.ids + oid.count);
}

// SprintX the way callers use it: a small buffer first, a bigger one when the text was cut.
// Returns false when the value has no text in that mode.
bool SprintX(const KX_ASN_VALUE_T& value, int mode, std::string* text) {
  std::vector<char> buf(16, 'z');
  int needed = KXAsnValueSprintX(&value, buf.data(), buf.size(), mode);
  if (needed < 0) return false;
  if (static_cast<size_t>(needed) >= buf.size()) {
    EXPECT_EQ(buf.back(), '\0');
    buf.assign(static_cast<size_t>(needed) + 1, 'z');
    EXPECT_EQ(KXAsnValueSprintX(&value, buf.data(), buf.size(), mode), needed);
  }
  text->assign(buf.data());
  EXPECT_EQ(text->size(), static_cast<size_t>(needed));
  return true;
}

std::string Sprint(const KX_ASN_VALUE_T& value) {
  char buf[256];
  int needed = KXAsnValueSprint(&value, buf, sizeof buf);
  EXPECT_EQ(static_cast<size_t>(needed), strlen(buf));
  return buf;
}

class ValuePrintTest : public ::testing::Test {
 protected:
  void SetUp() override { kxrt::SetCipherKey(std::string(32, 'k')); }
  void TearDown() override { kxrt::ClearCipherKey(); }
};

TEST_F(ValuePrintTest, SprintShowsValuesToPeople) {
  const std::string del(1, '\x7f');
  const struct {
    Value* value;
    std::string text;
  } cases[] = {
      {Value::Integer(KX_ASN_INTEGER, INT32_MIN), "-2147483648"},
      {Value::Integer(KX_ASN_UNSIGNED, -1), "4294967295"},
      {Value::Integer(KX_ASN_COUNTER, -2), "4294967294"},
      {Value::Integer(KX_ASN_TIMETICKS, 100), "100"},
      {Value::Octets(KX_ASN_OCTET_STRING, "a b \"c\"\\ caf\xc3\xa9"), "a b \"c\"\\ caf\xc3\xa9"},
      {Value::Octets(KX_ASN_OCTET_STRING, std::string("\0\n\x7f\xff", 4)), R"(\x00\x0a\x7f\xff)"},
      {Value::Octets(KX_ASN_OCTET_STRING, ""), ""},
      {Value::Octets(KX_ASN_IPADDRESS, std::string("\x0a\x00", 2)), "10.0"},  // malformed
      {Value::Octets(KX_ASN_IPADDRESS, std::string("\x0a\x00\x00\x01", 4)), "10.0.0.1"},
      {Value::Oid({1, 3, 6, 4294967295u}), "1.3.6.4294967295"},
      {Value::Integer(KX_ASN_NULL, 0), ""},
      {Value::Integer(KX_ASN_NO_SUCH_OBJECT, 0), "noSuchObject"},
      {Value::Integer(KX_ASN_NO_SUCH_INSTANCE, 0), "noSuchInstance"},
      {Value::Integer(KX_ASN_END_OF_MIB_VIEW, 0), "endOfMibView"},
      {Value::Integer(0x99, 0), "(unknown type 0x99)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sprint(**c.value), c.text);
    delete c.value;
  }
}

TEST_F(ValuePrintTest, SprintXWritesOneScriptWordPerMode) {
  const std::string del(1, '\x7f');
  const struct {
    Value* value;
    int mode;
    std::string text;
  } cases[] = {
      {Value::Integer(KX_ASN_INTEGER, -5), 1, "-5"},
      {Value::Integer(KX_ASN_UNSIGNED, -1), 1, "4294967295"},
      {Value::Integer(KX_ASN_COUNTER, 7), 1, "7"},
      {Value::Integer(KX_ASN_TIMETICKS, 0), 1, "0"},
      {Value::Oid({1, 3, 6, 1}), 1, "1.3.6.1"},
      {Value::Oid({}), 1, "\"\""},
      {Value::Octets(KX_ASN_IPADDRESS, std::string("\xc0\xa8\0\x01", 4)), 1, "192.168.0.1"},
      {Value::Octets(KX_ASN_OCTET_STRING, "cfg"), 1, "cfg"},
      {Value::Octets(KX_ASN_OCTET_STRING, ""), 1, "\"\""},
      {Value::Octets(KX_ASN_OCTET_STRING, "a b=c"), 1, "\"a b=c\""},
      {Value::Octets(KX_ASN_OCTET_STRING, std::string("a\0", 2)), 1, R"("\x7f6100")"},
      {Value::Octets(KX_ASN_OCTET_STRING, del + "x"), 1, R"("\x7f7f78")"},
      {Value::Octets(KX_ASN_OCTET_STRING, "x" + del), 1, R"("x\x7f")"},
      {Value::Octets(KX_ASN_OCTET_STRING, std::string("\x0a\x1b\xff", 3)), 5, "0a:1b:ff"},
      {Value::Octets(KX_ASN_OCTET_STRING, std::string("\0", 1)), 5, "00"},
      {Value::Octets(KX_ASN_OCTET_STRING, ""), 5, "\"\""},
      {Value::Octets(KX_ASN_OCTET_STRING, std::string("\x0a\x1b\xff", 3)), 7, "10.27.255"},
      {Value::Octets(KX_ASN_OCTET_STRING, ""), 7, "\"\""},
  };
  for (const auto& c : cases) {
    std::string text;
    EXPECT_TRUE(SprintX(**c.value, c.mode, &text)) << c.text;
    EXPECT_EQ(text, c.text);
    delete c.value;
  }
}

TEST_F(ValuePrintTest, SprintXRefusesWhatAModeCannotCarry) {
  const struct {
    Value* value;
    int mode;
  } cases[] = {
      {Value::Integer(KX_ASN_NULL, 0), 1},
      {Value::Integer(KX_ASN_NO_SUCH_INSTANCE, 0), 1},
      {Value::Integer(KX_ASN_END_OF_MIB_VIEW, 0), 3},
      {Value::Octets(KX_ASN_IPADDRESS, "\x01\x02\x03"), 1},
      {Value::Integer(KX_ASN_INTEGER, 5), 5},
      {Value::Oid({1, 2}), 7},
      {Value::Octets(KX_ASN_IPADDRESS, "\x01\x02\x03\x04"), 5},
      {Value::Octets(KX_ASN_OCTET_STRING, "x"), 0},
      {Value::Octets(KX_ASN_OCTET_STRING, "x"), 2},
      {Value::Octets(KX_ASN_OCTET_STRING, "x"), 9},
  };
  for (const auto& c : cases) {
    char buf[32] = "stale";
    EXPECT_LT(KXAsnValueSprintX(c.value->get(), buf, sizeof buf, c.mode), 0) << c.mode;
    EXPECT_STREQ(buf, "");
    delete c.value;
  }
}

TEST_F(ValuePrintTest, EncipheredModeNeedsAKey) {
  Value value;
  ASSERT_EQ(KXAsnValueScan('s', "secret", value.get()), 1);
  std::string text;
  ASSERT_TRUE(SprintX(*value, 3, &text));
  EXPECT_EQ(text.find("secret"), std::string::npos);
  EXPECT_EQ(kxrt::QuoteWord(text), text);  // a bare word
  kxrt::ClearCipherKey();
  char buf[256] = "stale";
  EXPECT_LT(KXAsnValueSprintX(value.get(), buf, sizeof buf, 3), 0);
  EXPECT_STREQ(buf, "");
}

TEST_F(ValuePrintTest, ResultsBehaveLikeSnprintf) {
  Value value;
  ASSERT_EQ(KXAsnValueScan('s', "hello world", value.get()), 1);
  char buf[6] = "xxxxx";
  EXPECT_EQ(KXAsnValueSprintX(value.get(), buf, sizeof buf, 1), 13);  // "hello world" quoted
  EXPECT_STREQ(buf, "\"hell");
  EXPECT_EQ(KXAsnValueSprintX(value.get(), nullptr, 0, 1), 13);
  EXPECT_EQ(KXAsnValueSprint(value.get(), buf, sizeof buf), 11);
  EXPECT_STREQ(buf, "hello");
  EXPECT_EQ(KXAsnValueSprint(value.get(), nullptr, 0), 11);
}

// ---- Property: every printable value reads back exactly through its word and scan ----

class RandomValues {
 public:
  explicit RandomValues(uint32_t seed) : rng_(seed) {}

  uint32_t Uint32() {
    switch (rng_() % 6) {
      case 0:
        return 0;
      case 1:
        return UINT32_MAX;
      case 2:
        return 0x80000000u;
      case 3:
        return rng_() % 300;
      default:
        return static_cast<uint32_t>(rng_());
    }
  }

  std::string Bytes(size_t maxLength) {
    static const std::string kTricky("\0 \t\"'\\=#\n\r\x7f\x01\x1b\xc3\xa9\xff\x80@", 19);
    std::string bytes;
    size_t length = rng_() % (maxLength + 1);
    for (size_t i = 0; i < length; ++i) {
      bytes.push_back(rng_() % 2 ? kTricky[rng_() % kTricky.size()]
                                 : static_cast<char>(rng_() % 256));
    }
    return bytes;
  }

  // A random value of a random type; *letter is the scan letter that reads its mode-1 text.
  Value* Next(char* letter) {
    switch (rng_() % 6) {
      case 0:
        *letter = 'i';
        return Value::Integer(KX_ASN_INTEGER, static_cast<int32_t>(Uint32()));
      case 1:
        *letter = 'u';
        return Value::Integer(KX_ASN_UNSIGNED, static_cast<int32_t>(Uint32()));
      case 2:
        *letter = 't';
        return Value::Integer(KX_ASN_TIMETICKS, static_cast<int32_t>(Uint32()));
      case 3: {
        *letter = 'o';
        std::vector<uint32_t> ids(rng_() % 12);
        for (uint32_t& id : ids) id = Uint32();
        return Value::Oid(ids);
      }
      case 4: {
        *letter = 'a';
        std::string ip;
        for (int i = 0; i < 4; ++i) ip.push_back(static_cast<char>(Uint32() & 0xff));
        return Value::Octets(KX_ASN_IPADDRESS, ip);
      }
      default: {
        *letter = 's';
        std::string bytes = Bytes(rng_() % 4 == 0 ? 200 : 10);
        if (rng_() % 8 == 0) bytes.insert(0, 1, '\x7f');  // the DEL-form marker as a real byte
        return Value::Octets(KX_ASN_OCTET_STRING, bytes);
      }
    }
  }

 private:
  std::mt19937 rng_;
};

void ExpectSameValue(const KX_ASN_VALUE_T& got, const KX_ASN_VALUE_T& want) {
  EXPECT_EQ(got.type, want.type);
  if (want.type == KX_ASN_INTEGER || want.type == KX_ASN_UNSIGNED ||
      want.type == KX_ASN_TIMETICKS) {
    EXPECT_EQ(got.integer, want.integer);
  }
  EXPECT_EQ(Bytes(got.octets), Bytes(want.octets));
  EXPECT_EQ(Ids(got.oid), Ids(want.oid));
}

TEST_F(ValuePrintTest, EveryModeReadsBackThroughOneWordAndTheScan) {
  RandomValues random(7);
  int checked[8] = {};
  for (int round = 0; round < 6000; ++round) {
    char letter;
    std::unique_ptr<Value> value(random.Next(&letter));
    std::vector<std::pair<int, char>> modes = {{1, letter}, {3, letter}};
    if (letter == 's') {
      modes.push_back({5, 'x'});
      modes.push_back({7, 'd'});
    }
    for (const auto& [mode, scanLetter] : modes) {
      std::string text;
      ASSERT_TRUE(SprintX(**value, mode, &text)) << "mode " << mode;
      SCOPED_TRACE("mode " + std::to_string(mode) + " text " + text);
      std::vector<std::string> words;
      std::string error;
      ASSERT_TRUE(kxrt::SplitWords("tbl col=" + text, &words, &error)) << error;
      ASSERT_EQ(words.size(), 2u);
      ASSERT_EQ(words[1].compare(0, 4, "col="), 0);
      std::string word = words[1].substr(4);

      std::string clear = word;
      if (mode == 3) {
        std::vector<char> buf(4096);
        int length = KXPasswordDecrypt(word.c_str(), -1, buf.data(), static_cast<int>(buf.size()));
        ASSERT_GE(length, 0);
        clear.assign(buf.data(), static_cast<size_t>(length));
        ASSERT_EQ(clear.find('\0'), std::string::npos);  // the clear text is a C string too
      }
      Value back;
      ASSERT_EQ(KXAsnValueScan('o', "9.9", back.get()), 1);  // a payload the scan must replace
      ASSERT_NE(KXAsnValueScan(scanLetter, clear.c_str(), back.get()), 0);
      ExpectSameValue(*back, **value);
      ++checked[mode];
    }
  }
  // Every mode was exercised many times.
  EXPECT_GT(checked[1], 5000);
  EXPECT_GT(checked[3], 5000);
  EXPECT_GT(checked[5], 500);
  EXPECT_GT(checked[7], 500);
}

}  // namespace
