#include <string>

#include <gtest/gtest.h>

#include "kx_host.h"

namespace {

// A scanned value, flattened so that tables can state what a text must become.
struct Flat {
  int32_t type;
  int32_t integer;
  std::string octets;
  std::string oid;
};

Flat Flatten(const KX_ASN_VALUE_T& v) {
  char oid[512];
  KXObjidToStr(&v.oid, oid, sizeof oid);
  return {v.type, v.integer,
          std::string(reinterpret_cast<const char*>(v.octets.data), v.octets.length), oid};
}

struct Accepted {
  char letter;
  std::string text;
  Flat want;
};

TEST(ValueScan, AcceptsEachTypesTextForm) {
  const std::string del(1, '\x7f');
  const Accepted cases[] = {
      {'i', "0", {KX_ASN_INTEGER, 0, "", ""}},
      {'i', "-17", {KX_ASN_INTEGER, -17, "", ""}},
      {'i', "+17", {KX_ASN_INTEGER, 17, "", ""}},
      {'i', "2147483647", {KX_ASN_INTEGER, 2147483647, "", ""}},
      {'i', "-2147483648", {KX_ASN_INTEGER, INT32_MIN, "", ""}},
      {'u', "4294967295", {KX_ASN_UNSIGNED, -1, "", ""}},
      {'u', "007", {KX_ASN_UNSIGNED, 7, "", ""}},
      {'t', "123456", {KX_ASN_TIMETICKS, 123456, "", ""}},
      {'x', "", {KX_ASN_OCTET_STRING, 0, "", ""}},
      {'x', "0a1B", {KX_ASN_OCTET_STRING, 0, "\x0a\x1b", ""}},
      {'x', "00:ff:7F", {KX_ASN_OCTET_STRING, 0, std::string("\0\xff\x7f", 3), ""}},
      {'x', "01:0203", {KX_ASN_OCTET_STRING, 0, "\x01\x02\x03", ""}},
      {'d', "", {KX_ASN_OCTET_STRING, 0, "", ""}},
      {'d', "0.255.10", {KX_ASN_OCTET_STRING, 0, std::string("\0\xff\x0a", 3), ""}},
      {'d', "65", {KX_ASN_OCTET_STRING, 0, "A", ""}},
      {'s', "", {KX_ASN_OCTET_STRING, 0, "", ""}},
      {'s', "a b=\"c\"\\", {KX_ASN_OCTET_STRING, 0, "a b=\"c\"\\", ""}},
      {'s', del, {KX_ASN_OCTET_STRING, 0, "", ""}},
      {'s', del + "00417f", {KX_ASN_OCTET_STRING, 0, std::string("\0A\x7f", 3), ""}},
      {'s', del + "7F7f", {KX_ASN_OCTET_STRING, 0, "\x7f\x7f", ""}},
      {'s', "a" + del, {KX_ASN_OCTET_STRING, 0, "a" + del, ""}},  // DEL only counts first
      {'o', "", {KX_ASN_OBJECT_ID, 0, "", ""}},
      {'o', ".1.3.6.1.4294967295", {KX_ASN_OBJECT_ID, 0, "", "1.3.6.1.4294967295"}},
      {'a', "192.168.0.1", {KX_ASN_IPADDRESS, 0, std::string("\xc0\xa8\x00\x01", 4), ""}},
      {'a', "0.0.0.0", {KX_ASN_IPADDRESS, 0, std::string(4, '\0'), ""}},
  };
  for (const Accepted& c : cases) {
    SCOPED_TRACE(std::string(1, c.letter) + " \"" + c.text + "\"");
    KX_ASN_VALUE_T v;
    KXAsnValueInit(&v);
    // Start from a value with payloads so that the scan must release them.
    ASSERT_EQ(KXAsnValueScan('o', "9.9.9", &v), 1);
    ASSERT_EQ(KXOctetStringSet(&v.octets, "old"), 1);
    ASSERT_NE(KXAsnValueScan(c.letter, c.text.c_str(), &v), 0);
    Flat got = Flatten(v);
    EXPECT_EQ(got.type, c.want.type);
    EXPECT_EQ(got.integer, c.want.integer);
    EXPECT_EQ(got.octets, c.want.octets);
    EXPECT_EQ(got.oid, c.want.oid);
    KXAsnValueFree(&v);
  }
}

TEST(ValueScan, RefusesMalformedTextAndLeavesTheValueUntouched) {
  const std::string del(1, '\x7f');
  const struct {
    char letter;
    std::string text;
  } cases[] = {
      {'i', ""},       {'i', "2147483648"}, {'i', "-2147483649"}, {'i', "99999999999999999999"},
      {'i', "12abc"},  {'i', " 1"},         {'i', "1 "},          {'i', "-"},
      {'i', "0x10"},   {'u', "-1"},         {'u', "+1"},          {'u', "4294967296"},
      {'u', ""},       {'t', "1.5"},        {'t', "4294967296"},  {'x', "0"},
      {'x', "abc"},    {'x', "0g"},         {'x', ":00"},         {'x', "00:"},
      {'x', "00::11"}, {'x', "0:0"},        {'x', " 00"},         {'d', "256"},
      {'d', "1..2"},   {'d', "1."},         {'d', ".1"},          {'d', "-1"},
      {'d', "1.a"},    {'s', del + "0"},    {'s', del + "zz"},    {'s', del + "00 "},
      {'o', "."},      {'o', "1..2"},       {'o', "1.2."},        {'o', "4294967296"},
      {'o', "1.x"},    {'a', "1.2.3"},      {'a', "1.2.3.4.5"},   {'a', "1.2.3.256"},
      {'a', ""},       {'a', "1.2.3.4 "},   {'a', "a.b.c.d"},     {'q', "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(1, c.letter) + " \"" + c.text + "\"");
    KX_ASN_VALUE_T v;
    KXAsnValueInit(&v);
    v.type = KX_ASN_OCTET_STRING;
    v.integer = 77;
    ASSERT_EQ(KXOctetStringSet(&v.octets, "kept"), 1);
    ASSERT_EQ(KXObjidSetStr(&v.oid, "1.2"), 1);
    EXPECT_EQ(KXAsnValueScan(c.letter, c.text.c_str(), &v), 0);
    Flat got = Flatten(v);
    EXPECT_EQ(got.type, KX_ASN_OCTET_STRING);
    EXPECT_EQ(got.integer, 77);
    EXPECT_EQ(got.octets, "kept");
    EXPECT_EQ(got.oid, "1.2");
    KXAsnValueFree(&v);
  }
}

}  // namespace
