#include <string>

#include <gtest/gtest.h>

#include "kx_host.h"

namespace {

TEST(OctetString, HoldsAnyBytesAndCopiesOutAsText) {
  KX_OCTET_STRING_T os;
  KXOctetStringInit(&os);
  ASSERT_EQ(KXOctetStringSetN(&os, "a\0b", 3), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(os.data), os.length), std::string("a\0b", 3));
  ASSERT_EQ(KXOctetStringSet(&os, "hello"), 1);
  char buf[4];
  EXPECT_EQ(KXOctetStringToCStr(&os, buf, sizeof buf), 3u);
  EXPECT_STREQ(buf, "hel");
  ASSERT_EQ(KXOctetStringSet(&os, ""), 1);
  EXPECT_EQ(os.length, 0u);
  EXPECT_EQ(os.data, nullptr);
  KXOctetStringFree(&os);
  KXOctetStringFree(&os);
}

TEST(AsnValue, CopyIsDeepAndReleasesThePreviousPayload) {
  KX_ASN_VALUE_T a, b;
  KXAsnValueInit(&a);
  KXAsnValueInit(&b);
  a.type = KX_ASN_OCTET_STRING;
  ASSERT_EQ(KXOctetStringSet(&a.octets, "abc"), 1);
  b.type = KX_ASN_OBJECT_ID;
  ASSERT_EQ(KXObjidSetStr(&b.oid, "1.2.3"), 1);
  ASSERT_EQ(KXAsnValueCopy(&b, &a), 1);
  EXPECT_EQ(b.type, KX_ASN_OCTET_STRING);
  EXPECT_EQ(b.oid.count, 0u);
  a.octets.data[0] = 'z';
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b.octets.data), b.octets.length), "abc");
  KXAsnValueFree(&a);
  KXAsnValueFree(&b);
  EXPECT_EQ(b.type, KX_ASN_NULL);
}

TEST(VarBind, FreeValueKeepsTheNameAndSetTypeZeroes) {
  KX_VARBIND_T vb;
  KXVarBindInit(&vb);
  EXPECT_EQ(vb.value.type, KX_ASN_NULL);
  ASSERT_EQ(KXObjidSetStr(&vb.name, "1.3.6"), 1);
  vb.value.type = KX_ASN_OCTET_STRING;
  ASSERT_EQ(KXOctetStringSet(&vb.value.octets, "x"), 1);
  KXVarBindFreeValue(&vb);
  EXPECT_EQ(vb.value.type, KX_ASN_NULL);
  EXPECT_EQ(vb.value.octets.length, 0u);
  EXPECT_EQ(vb.name.count, 3u);

  vb.value.integer = 17;
  KXVarBindSetType(&vb, KX_ASN_INTEGER);
  EXPECT_EQ(vb.value.type, KX_ASN_INTEGER);
  EXPECT_EQ(vb.value.integer, 0);
  EXPECT_EQ(vb.name.count, 3u);

  KX_VARBIND_T copy;
  KXVarBindInit(&copy);
  vb.value.integer = -5;
  ASSERT_EQ(KXVarBindCopy(&copy, &vb), 1);
  vb.name.ids[0] = 99;
  EXPECT_EQ(copy.name.ids[0], 1u);
  EXPECT_EQ(copy.value.integer, -5);
  KXVarBindFree(&vb);
  KXVarBindFree(&copy);
  EXPECT_EQ(vb.name.count, 0u);
  EXPECT_EQ(vb.value.type, KX_ASN_NULL);
}

TEST(VarBindList, ReallocKeepsInitialisesAndFrees) {
  KX_VARBIND_LIST_T list;
  KXVarBindListInit(&list);
  ASSERT_EQ(KXVarBindListRealloc(&list, 2), 1);
  ASSERT_EQ(list.count, 2u);
  EXPECT_EQ(list.items[1].value.type, KX_ASN_NULL);
  ASSERT_EQ(KXObjidSetStr(&list.items[0].name, "1.1"), 1);
  ASSERT_EQ(KXObjidSetStr(&list.items[1].name, "2.2"), 1);
  ASSERT_EQ(KXVarBindListRealloc(&list, 40), 1);
  EXPECT_EQ(list.items[0].name.ids[1], 1u);
  EXPECT_EQ(list.items[1].name.ids[1], 2u);
  EXPECT_EQ(list.items[39].name.count, 0u);
  ASSERT_EQ(KXVarBindListRealloc(&list, 1), 1);  // frees item 1 (leak-checked under ASan)
  EXPECT_EQ(list.count, 1u);
  EXPECT_EQ(list.items[0].name.ids[0], 1u);
  KXVarBindListFree(&list);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, nullptr);
  KXVarBindListFree(&list);
}

}  // namespace
