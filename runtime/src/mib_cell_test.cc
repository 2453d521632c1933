#include "mib_cell.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "mib_order.h"

namespace kxrt {
namespace {

std::string Bytes(const Cell& cell) {
  return std::string(reinterpret_cast<const char*>(cell.data()), cell.size());
}

TEST(Cell, KeepsShortAndLongPayloadsThroughCopiesAndMoves) {
  for (const std::string& text : {std::string(), std::string("New"), std::string(8, 'a'),
                                  std::string(9, 'b'), std::string(300, 'c')}) {
    SCOPED_TRACE(text.size());
    Cell cell;
    ASSERT_TRUE(cell.SetBytes(text.data(), static_cast<uint32_t>(text.size())));
    Cell copy(cell);
    Cell moved(std::move(cell));
    EXPECT_EQ(Bytes(copy), text);
    EXPECT_EQ(Bytes(moved), text);
    Cell assigned;
    ASSERT_TRUE(assigned.SetBytes("something longer than eight", 27));
    assigned = copy;
    EXPECT_EQ(Bytes(assigned), text);
    assigned = std::move(moved);
    EXPECT_EQ(Bytes(assigned), text);
    EXPECT_TRUE(assigned.BytesEqual(text.data(), static_cast<uint32_t>(text.size())));
  }
}

TEST(Cell, SetBytesMayReadFromItsOwnPayload) {
  Cell cell;
  ASSERT_TRUE(cell.SetBytes("0123456789abcdef", 16));
  ASSERT_TRUE(cell.SetBytes(cell.data() + 10, 6));
  EXPECT_EQ(Bytes(cell), "abcdef");
  ASSERT_TRUE(cell.SetBytes(cell.data() + 1, 4));
  EXPECT_EQ(Bytes(cell), "bcde");
}

TEST(Cell, RoundTripsEveryValueKind) {
  KX_ASN_VALUE_T in, out;
  KXAsnValueInit(&in);
  KXAsnValueInit(&out);
  struct Case {
    int32_t type;
    char letter;
    const char* text;
  } cases[] = {{KX_ASN_INTEGER, 'i', "-5"},
               {KX_ASN_UNSIGNED, 'u', "4294967295"},
               {KX_ASN_OCTET_STRING, 's', "hello, world"},
               {KX_ASN_IPADDRESS, 'a', "10.1.2.3"},
               {KX_ASN_OBJECT_ID, 'o', "1.3.6.1.4.1.4294967295"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_NE(KXAsnValueScan(c.letter, c.text, &in), 0);
    Cell cell;
    ASSERT_TRUE(CellFromValue(c.type, in, &cell));
    ASSERT_TRUE(CellToValue(c.type, cell, &out));
    char a[128], b[128];
    KXAsnValueSprint(&in, a, sizeof a);
    KXAsnValueSprint(&out, b, sizeof b);
    EXPECT_STREQ(a, b);
    EXPECT_EQ(out.type, c.type);
  }
  KXAsnValueFree(&in);
  KXAsnValueFree(&out);
}

TEST(IdOrder, ProperPrefixesSortFirstAndKeysCompareWithSpans) {
  std::vector<uint32_t> a = {1, 3, 6}, b = {1, 3, 6, 0}, c = {1, 3, 7}, big = {1, 4294967295u};
  EXPECT_LT(CompareIds(a, b), 0);
  EXPECT_LT(CompareIds(b, c), 0);
  EXPECT_GT(CompareIds(big, c), 0);
  EXPECT_EQ(CompareIds(a, a), 0);
  EXPECT_TRUE(IdSpan(b).StartsWith(a));
  EXPECT_FALSE(IdSpan(a).StartsWith(b));

  std::vector<uint32_t> deep = {1, 2, 3, 4, 5, 6};  // longer than a key holds inline
  IndexKey inlineKey(a), heapKey(deep);
  IndexKey movedHeap(std::move(heapKey));
  IndexKey copiedHeap(movedHeap);
  EXPECT_EQ(CompareIds(movedHeap.span(), deep), 0);
  EXPECT_EQ(CompareIds(copiedHeap.span(), deep), 0);
  EXPECT_EQ(CompareIds(inlineKey.span(), a), 0);
  IdLess less;
  EXPECT_TRUE(less(inlineKey, IdSpan(c)));
  EXPECT_TRUE(less(IdSpan(deep), inlineKey));
}

}  // namespace
}  // namespace kxrt
