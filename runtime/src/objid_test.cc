#include <string>

#include <gtest/gtest.h>

#include "kx_host.h"

namespace {

std::string ToStr(const KX_OBJID_T& oid) {
  char buf[256];
  KXObjidToStr(&oid, buf, sizeof buf);
  return buf;
}

TEST(ObjidSetStr, AcceptsDottedDecimal) {
  struct Case {
    const char* text;
    const char* dotted;
  } cases[] = {
      {"1.3.6.1", "1.3.6.1"},           {".1.3.6.1", "1.3.6.1"}, {"0", "0"},
      {"4294967295.0", "4294967295.0"}, {"007.1", "7.1"},
  };
  for (const Case& c : cases) {
    KX_OBJID_T oid;
    KXObjidInit(&oid);
    EXPECT_EQ(KXObjidSetStr(&oid, c.text), 1) << c.text;
    EXPECT_EQ(ToStr(oid), c.dotted) << c.text;
    KXObjidFree(&oid);
  }
}

TEST(ObjidSetStr, RefusesMalformedTextAndLeavesOidEmpty) {
  const char* bad[] = {
      "",     ".",  "1..2", "1.2.", "..1",   "1.a", "-1",         "+1",
      "1 .2", " 1", "1.2 ", "0x10", "1.2.x", "1,2", "4294967296", "1.99999999999999999999"};
  for (const char* text : bad) {
    KX_OBJID_T oid;
    KXObjidInit(&oid);
    ASSERT_EQ(KXObjidSetStr(&oid, "9.9"), 1);
    EXPECT_EQ(KXObjidSetStr(&oid, text), 0) << '"' << text << '"';
    EXPECT_EQ(oid.count, 0u) << text;
    EXPECT_EQ(oid.ids, nullptr) << text;
    KXObjidFree(&oid);
  }
}

TEST(Objid, CopyIsIndependent) {
  KX_OBJID_T a, b;
  KXObjidInit(&a);
  KXObjidInit(&b);
  ASSERT_EQ(KXObjidSetStr(&a, "1.2.3"), 1);
  ASSERT_EQ(KXObjidSetStr(&b, "7.7.7.7.7"), 1);
  ASSERT_EQ(KXObjidCopy(&b, &a), 1);
  a.ids[0] = 42;
  EXPECT_EQ(ToStr(b), "1.2.3");
  KX_OBJID_T empty;
  KXObjidInit(&empty);
  ASSERT_EQ(KXObjidCopy(&b, &empty), 1);
  EXPECT_EQ(b.count, 0u);
  EXPECT_EQ(b.ids, nullptr);
  KXObjidFree(&a);
  KXObjidFree(&b);
  KXObjidFree(&b);  // freeing twice is harmless
}

TEST(Objid, ReallocKeepsPrefixAndZeroFills) {
  KX_OBJID_T oid;
  KXObjidInit(&oid);
  ASSERT_EQ(KXObjidSetStr(&oid, "5.6"), 1);
  ASSERT_EQ(KXObjidRealloc(&oid, 5), 1);
  EXPECT_EQ(ToStr(oid), "5.6.0.0.0");
  ASSERT_EQ(KXObjidRealloc(&oid, 1), 1);
  EXPECT_EQ(ToStr(oid), "5");
  ASSERT_EQ(KXObjidRealloc(&oid, 3), 1);
  EXPECT_EQ(ToStr(oid), "5.0.0");
  ASSERT_EQ(KXObjidRealloc(&oid, 0), 1);
  EXPECT_EQ(oid.ids, nullptr);
  KXObjidFree(&oid);
}

TEST(Objid, CompareNLooksAtTheCommonPrefixOnly) {
  const uint32_t a[] = {1, 3, 6, 1};
  const uint32_t b[] = {1, 3, 7};
  const uint32_t big[] = {1, 4000000000u};
  EXPECT_EQ(KXObjidCompareN(a, 2, b, 3), 0);
  EXPECT_EQ(KXObjidCompareN(a, 4, b, 2), 0);
  EXPECT_LT(KXObjidCompareN(a, 4, b, 3), 0);
  EXPECT_GT(KXObjidCompareN(b, 3, a, 4), 0);
  // Sub-identifiers compare unsigned.
  EXPECT_LT(KXObjidCompareN(a, 2, big, 2), 0);
  EXPECT_EQ(KXObjidCompareN(a, 0, b, 3), 0);
}

TEST(Objid, ToStrBehavesLikeSnprintf) {
  KX_OBJID_T oid;
  KXObjidInit(&oid);
  ASSERT_EQ(KXObjidSetStr(&oid, "1.23.456"), 1);
  char buf[6] = "xxxxx";
  EXPECT_EQ(KXObjidToStr(&oid, buf, sizeof buf), 8);
  EXPECT_STREQ(buf, "1.23.");
  EXPECT_EQ(KXObjidToStr(&oid, nullptr, 0), 8);
  char one[1] = {'x'};
  EXPECT_EQ(KXObjidToStr(&oid, one, 1), 8);
  EXPECT_EQ(one[0], '\0');
  KXObjidFree(&oid);
  char empty[4] = "xyz";
  EXPECT_EQ(KXObjidToStr(&oid, empty, sizeof empty), 0);
  EXPECT_STREQ(empty, "");
}

}  // namespace
