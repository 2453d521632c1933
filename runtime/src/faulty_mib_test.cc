#include <gtest/gtest.h>

#include <string>

#include "kxrt/mib.h"
#include "mib_test_util.h"

namespace kxrt {
namespace {

using testing::Binding;
using testing::Read;
using testing::SetStatus;

const std::string kGroup = "1.3.6.1.4.1.9999.1";

class FaultyMibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScalarGroupDef group;
    group.group = {1, 3, 6, 1, 4, 1, 9999, 1};
    ColumnDef a;
    a.column = 1;
    a.access = KX_ACCESS_READ_WRITE;
    a.defaultText = "1";
    ColumnDef b = a;
    b.column = 2;
    b.defaultText = "2";
    group.scalars = {a, b};
    std::string error;
    ASSERT_TRUE(inner_.AddScalarGroup(group, &error)) << error;
  }

  MemoryMib inner_;
  FaultyMib faulty_{inner_};
};

TEST_F(FaultyMibTest, TheNthCallFailsOnceAndCallsAreCounted) {
  faulty_.FailNth(FaultyMib::Op::kGet, 2, 0);
  faulty_.FailNth(FaultyMib::Op::kSet, 1, 1, KX_SNMP_RESOURCE_UNAVAILABLE);
  EXPECT_EQ(Read(faulty_, kGroup + ".1.0"), "1");
  EXPECT_EQ(Read(faulty_, kGroup + ".1.0"), "fail");
  EXPECT_EQ(Read(faulty_, kGroup + ".1.0"), "1");
  EXPECT_EQ(SetStatus(faulty_, kGroup + ".1.0", 'i', "5"), KX_SNMP_RESOURCE_UNAVAILABLE);
  EXPECT_EQ(Read(inner_, kGroup + ".1.0"), "1") << "a failed set does not reach the inner MIB";
  EXPECT_EQ(SetStatus(faulty_, kGroup + ".1.0", 'i', "5"), 0);
  EXPECT_EQ(Read(inner_, kGroup + ".1.0"), "5");
  EXPECT_EQ(faulty_.Calls(FaultyMib::Op::kGet), 3);
  EXPECT_EQ(faulty_.Calls(FaultyMib::Op::kSet), 2);
  EXPECT_EQ(faulty_.Calls(FaultyMib::Op::kGetNext), 0);

  // Counting starts from the moment the rule is made.
  faulty_.FailNth(FaultyMib::Op::kGetNext, 1, 0);
  Binding vb(kGroup + ".1.0");
  EXPECT_EQ(faulty_.GetNext(vb.get()), 0);
  EXPECT_EQ(vb.name(), kGroup + ".1.0");
  EXPECT_EQ(faulty_.GetNext(vb.get()), 1);
  EXPECT_EQ(vb.name(), kGroup + ".2.0");

  faulty_.Reset();
  EXPECT_EQ(faulty_.Calls(FaultyMib::Op::kGet), 0);
}

TEST_F(FaultyMibTest, EveryCallUnderAPrefixFails) {
  faulty_.FailPrefix(FaultyMib::Op::kSet, {1, 3, 6, 1, 4, 1, 9999, 1, 2}, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SetStatus(faulty_, kGroup + ".2.0", 'i', "7"), -1);
  EXPECT_EQ(SetStatus(faulty_, kGroup + ".1.0", 'i', "7"), 0);
  EXPECT_EQ(Read(faulty_, kGroup + ".2.0"), "2");
  EXPECT_EQ(faulty_.Calls(FaultyMib::Op::kSet), 4);
  // Registrations pass through untouched.
  uint32_t ids[] = {1, 3, 6, 1, 4, 1, 9999, 1, 2, 0};
  EXPECT_NE(faulty_.GetReg(ids, 10), nullptr);
  faulty_.Reset();
  EXPECT_EQ(SetStatus(faulty_, kGroup + ".2.0", 'i', "7"), 0);
}

TEST_F(FaultyMibTest, TheHostFunctionsReachTheCurrentMib) {
  uint32_t ids[] = {1, 3, 6, 1, 4, 1, 9999, 1, 1, 0};
  SetCurrentMib(&faulty_);
  EXPECT_EQ(&CurrentMib(), &faulty_);
  EXPECT_EQ(KXMibGetReg(ids, 10), inner_.GetReg(ids, 10));
  Binding vb(kGroup + ".1.0", 'i', "9");
  int status = 0;
  EXPECT_EQ(KXMibSet(vb.get(), &status), 1);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(KXMibSet(vb.get(), nullptr), 0);
  EXPECT_EQ(KXMibGet(vb.get()), 1);
  EXPECT_EQ(vb.value(), "9");
  EXPECT_EQ(KXMibGetNext(vb.get()), 1);
  EXPECT_EQ(vb.name(), kGroup + ".2.0");
  EXPECT_EQ(KXMibGet(nullptr), 0);
  EXPECT_EQ(faulty_.Calls(FaultyMib::Op::kSet), 1);

  SetCurrentMib(nullptr);
  EXPECT_NE(&CurrentMib(), &faulty_);
  EXPECT_EQ(KXMibGetReg(ids, 10), nullptr);
}

}  // namespace
}  // namespace kxrt
