// Child tables: attaching one, two or three children, the child-size column, and the order in
// which a parent row's creation writes the count, the child rows and the activation.

#include <algorithm>
#include <functional>

#include "configurator/testutil.h"

namespace korvax {
namespace {

using Strings = std::vector<std::string>;

class ChildrenTest : public ConfiguratorTest {
 protected:
  std::string Tbl(const std::string& tail) { return Cat(oids::kTbl, tail); }
  std::string Sub(const std::string& tail) { return Cat(oids::kSub, tail); }
  std::string Sub2(const std::string& tail) { return Cat(oids::kSub2, tail); }
};

TEST_F(ChildrenTest, OneChildIsUsedDirectlyAndMoreGoThroughOneList) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  IConfigurator* sub2 = MakeSub2(*tbl);
  IConfigurator* third = Keep(IConfigurator::Create("third", "d", oids::kSub2, *tbl));
  CConfiguratorTestPeer parent(tbl);

  tbl->AddChild(*sub, 5);
  EXPECT_EQ(parent.Child(), sub);
  EXPECT_EQ(parent.ChildList(), nullptr);
  EXPECT_EQ(parent.ChildSizeColumn(), 5);

  tbl->AddChild(*sub2, 6);
  const CConfiguratorList* list = parent.ChildList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(parent.Child(), list);
  EXPECT_EQ(parent.ChildSizeColumn(), 6);  // the last call's column serves every child

  tbl->AddChild(*third, 7);
  tbl->AddChild(*sub, 7);               // already a member
  EXPECT_EQ(parent.ChildList(), list);  // no second list
  EXPECT_EQ(parent.Child(), list);
  EXPECT_EQ(parent.ChildSizeColumn(), 7);
  // Each member walks its rows once per parent row: sub and sub2 once, not sub twice.
  ASSERT_TRUE(Run("sub gamma=1 store"));
  ASSERT_TRUE(Run("sub2 weight=2 store"));
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  const std::string text = Written(tbl);
  EXPECT_EQ(text.find("sub store index=1"), text.rfind("sub store index=1")) << text;
  EXPECT_NE(text.find("sub2 store index=1"), std::string::npos) << text;
  EXPECT_EQ(TakeLog(), "");
}

// The count is written before any child row, and the row is activated after all of them.
TEST_F(ChildrenTest, ParentRowGetsCountThenChildRowsThenActivation) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  tbl->AddChild(*sub, 7);
  ASSERT_TRUE(Run("sub gamma=10 store"));
  ASSERT_TRUE(Run("sub gamma=20 store"));
  const Strings& sets = RecordSets();
  ASSERT_TRUE(Run("tbl name=p owner=cfg index=3 create"));
  EXPECT_EQ(sets, (Strings{Tbl("6.3=5"), Tbl("5.3=cfg"), Tbl("2.3=p"), Tbl("7.3=2"),
                           Sub("1.3.1=10"), Sub("1.3.2=20"), Tbl("6.3=1")}));
  EXPECT_EQ(sub->NumEntries(), 0);
}

// Without a child-size column no count is written, and the child rows are written all the same.
TEST_F(ChildrenTest, NoCountWithoutSizeColumn) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  tbl->AddChild(*sub, 0);
  ASSERT_TRUE(Run("sub gamma=10 store"));
  const Strings& sets = RecordSets();
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  EXPECT_EQ(sets, (Strings{Tbl("6.1=5"), Tbl("5.1=cfg"), Sub("1.1.1=10"), Tbl("6.1=1")}));
}

// With two children the count is the stored entries of the list's first member (the lower
// address), and both children's rows are written under the new row.
TEST_F(ChildrenTest, TwoChildrenCountTheFirstMemberAndBothAreSetUp) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  IConfigurator* sub2 = MakeSub2(*tbl);
  tbl->AddChild(*sub, 7);
  tbl->AddChild(*sub2, 7);
  for (const char* line : {"sub gamma=1 store", "sub gamma=2 store", "sub2 weight=1 store",
                           "sub2 weight=2 store", "sub2 weight=3 store"}) {
    ASSERT_TRUE(Run(line));
  }
  const int firstCount = std::less<IConfigurator*>()(sub, sub2) ? 2 : 3;
  ASSERT_TRUE(Run("tbl owner=cfg index=6 create"));
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(ReadInt(Tbl("7.6")), firstCount);
  EXPECT_EQ(ReadInt(Sub("1.6.2")), 2);
  EXPECT_EQ(ReadInt(Sub2("1.6.3")), 3);
  EXPECT_EQ(sub->NumEntries() + sub2->NumEntries(), 0);

  // Written back, the members' sections follow each other in address order inside the row.
  const std::string text = Written(tbl);
  const size_t subAt = text.find("sub gamma=1");
  const size_t sub2At = text.find("sub2 weight=1");
  ASSERT_NE(subAt, std::string::npos);
  ASSERT_NE(sub2At, std::string::npos);
  EXPECT_EQ(subAt < sub2At, std::less<IConfigurator*>()(sub, sub2)) << text;
  EXPECT_LT(std::max(subAt, sub2At), text.find("tbl create index=6"));
}

// A parent row that cannot be created leaves the child's entries for the next parent row.
TEST_F(ChildrenTest, FailedParentCreationKeepsTheChildEntries) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  tbl->AddChild(*sub, 7);
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  ASSERT_TRUE(Run("tbl reset"));
  ASSERT_TRUE(Run("sub gamma=10 store"));
  ASSERT_TRUE(Run("sub gamma=20 store"));
  const std::string log = RunLog({"tbl owner=cfg index=1 create"});  // row 1 exists
  EXPECT_NE(log.find("Cannot create entry"), std::string::npos) << log;
  EXPECT_EQ(sub->NumEntries(), 2);
  EXPECT_FALSE(Exists(Sub("1.1.1")));

  ASSERT_TRUE(Run("tbl owner=cfg create"));
  EXPECT_EQ(Result(), "2");
  EXPECT_EQ(ReadInt(Tbl("7.2")), 2);
  EXPECT_EQ(ReadInt(Sub("1.2.2")), 20);
  EXPECT_EQ(sub->NumEntries(), 0);
}

// When the parent's own column fails, the child is not set up but its entries are discarded.
TEST_F(ChildrenTest, FailedParentColumnSkipsAndDiscardsTheChildEntries) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  tbl->AddChild(*sub, 7);
  ASSERT_TRUE(Run("sub gamma=10 store"));
  kxrt::FaultyMib faulty(mib_);
  faulty.FailPrefix(kxrt::FaultyMib::Op::kSet, ParseOid(Tbl("2")), 1, KX_SNMP_WRONG_LENGTH);
  kxrt::SetCurrentMib(&faulty);
  const Strings& sets = RecordSets();
  const std::string log = RunLog({"tbl name=x owner=cfg create"});
  kxrt::SetCurrentMib(&mib_);
  EXPECT_NE(log.find("Cannot setup entry"), std::string::npos) << log;
  // The count still goes in (and the row is removed again); no child row is written.
  EXPECT_EQ(sets, (Strings{Tbl("6.1=5"), Tbl("5.1=cfg"), Tbl("7.1=1"), Tbl("6.1=6")}));
  EXPECT_EQ(sub->NumEntries(), 0);
}

}  // namespace
}  // namespace korvax
