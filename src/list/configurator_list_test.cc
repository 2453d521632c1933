// CConfiguratorList: forwarding to its members in address order, what it answers itself, and
// the list that a parent makes for its children.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "configurator/testutil.h"
#include "korvax/configurator.h"

namespace korvax {
namespace {

// A member that records every call it receives, with answers set by the test.
class RecordingMember : public IConfigurator {
 public:
  bool setupResult = true;
  int entries = 0;
  int indexLength = 0;
  int claims = 0;
  std::vector<std::string> calls;

  bool Register() override {
    Note("Register");
    return true;
  }
  bool WritePrimitiveState(FILE* file) override {
    fprintf(file, "%s\n", name.c_str());
    Note("Write");
    return true;
  }
  void AddChild(IConfigurator&, int) override { Note("AddChild"); }
  void AddIntCol(int, const char*, const char*) override { Note("AddIntCol"); }
  void AddUnsCol(int, const char*, const char*) override { Note("AddUnsCol"); }
  void AddStrCol(int, const char*, const char*) override { Note("AddStrCol"); }
  void AddAlias(const char*, const char*) override { Note("AddAlias"); }
  void SetStrFmt(int, EStrFmt) override { Note("SetStrFmt"); }
  void AddEnum(int, int, const char*) override { Note("AddEnum"); }
  void SetColWrite(int, bool) override { Note("SetColWrite"); }
  bool SetupEntries() override {
    Note("Setup");
    return setupResult;
  }
  void ClearEntries() override { Note("Clear"); }
  void ClearEntries(const char* owner) override { Note(std::string("ClearOwner ") + owner); }
  int NumEntries() const override { return entries; }
  int IndexLength() const override { return indexLength; }
  void SetIndexPrefix(unsigned* prefix, int n) override {
    std::string text = "Prefix";
    for (int i = 0; i < n; ++i) text += " " + std::to_string(prefix[i]);
    Note(text);
  }
  int OnParentStore(int parentIndex) override {
    Note("Claim " + std::to_string(parentIndex));
    return claims;
  }

  std::string name;
  // Every call of every member, in the order they came.
  static std::vector<std::string>* journal;

 private:
  void Note(const std::string& call) {
    calls.push_back(call);
    if (journal != nullptr) journal->push_back(name + ":" + call);
  }
};
std::vector<std::string>* RecordingMember::journal = nullptr;

class ConfiguratorListTest : public ::testing::Test {
 protected:
  ConfiguratorListTest() {
    // An array's elements lie at ascending addresses: members_[0] is the first member.
    for (size_t i = 0; i < members_.size(); ++i) members_[i].name = "m" + std::to_string(i);
    RecordingMember::journal = &journal_;
  }
  ~ConfiguratorListTest() override { RecordingMember::journal = nullptr; }

  static std::string Written(IConfigurator& c) {
    char* data = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&data, &size);
    EXPECT_TRUE(c.WritePrimitiveState(f));
    fclose(f);
    std::string text(data, size);
    free(data);
    return text;
  }

  std::array<RecordingMember, 3> members_;
  std::vector<std::string> journal_;
};

using Strings = std::vector<std::string>;

TEST_F(ConfiguratorListTest, EmptyListAnswersWithoutMembers) {
  CConfiguratorList list;
  EXPECT_TRUE(list.SetupEntries());
  EXPECT_EQ(Written(list), "");
  EXPECT_EQ(list.NumEntries(), 0);
  EXPECT_EQ(list.IndexLength(), 0);
  EXPECT_EQ(list.OnParentStore(3), 0);
  EXPECT_FALSE(list.Register());
  list.ClearEntries();
  list.ClearEntries("x");
}

// Members are visited by ascending address whatever the order they were added in; adding one
// twice keeps it once, and a removed one is no longer reached.
TEST_F(ConfiguratorListTest, ForwardsToEachMemberOnceInAddressOrder) {
  CConfiguratorList list;
  list.Add(members_[2]);
  list.Add(members_[0]);
  list.Add(members_[1]);
  list.Add(members_[2]);
  EXPECT_EQ(Written(list), "m0\nm1\nm2\n");

  unsigned prefix[] = {4, 9};
  journal_.clear();
  list.SetIndexPrefix(prefix, 2);
  list.ClearEntries();
  list.ClearEntries("cfg");
  EXPECT_EQ(journal_,
            (Strings{"m0:Prefix 4 9", "m1:Prefix 4 9", "m2:Prefix 4 9", "m0:Clear", "m1:Clear",
                     "m2:Clear", "m0:ClearOwner cfg", "m1:ClearOwner cfg", "m2:ClearOwner cfg"}));

  list.Remove(members_[1]);
  list.Remove(members_[1]);  // not a member any more: nothing changes
  EXPECT_EQ(Written(list), "m0\nm2\n");
}

// Set-up stops at the first member that fails; the members after it are not set up.
TEST_F(ConfiguratorListTest, SetupStopsAfterTheFirstFailingMember) {
  struct Case {
    std::array<bool, 3> results;
    bool expected;
    Strings setUp;
  };
  const std::vector<Case> cases = {
      {{true, true, true}, true, {"m0:Setup", "m1:Setup", "m2:Setup"}},
      {{true, false, true}, false, {"m0:Setup", "m1:Setup"}},
      {{false, true, true}, false, {"m0:Setup"}},
      {{true, true, false}, false, {"m0:Setup", "m1:Setup", "m2:Setup"}},
  };
  for (const Case& c : cases) {
    CConfiguratorList list;
    for (size_t i = 0; i < members_.size(); ++i) {
      members_[i].setupResult = c.results[i];
      list.Add(members_[i]);
    }
    journal_.clear();
    EXPECT_EQ(list.SetupEntries(), c.expected);
    EXPECT_EQ(journal_, c.setUp);
  }
}

// Counts and index lengths are the first member's, not sums; claiming reaches every member and
// answers 0 whatever the members claimed.
TEST_F(ConfiguratorListTest, FirstMemberAnswersCountsAndClaimsAreNotSummed) {
  members_[0].entries = 4;
  members_[1].entries = 7;
  members_[0].indexLength = 2;
  members_[1].indexLength = 5;
  members_[0].claims = 2;
  members_[1].claims = 3;
  CConfiguratorList list;
  list.Add(members_[1]);
  list.Add(members_[0]);
  EXPECT_EQ(list.NumEntries(), 4);
  EXPECT_EQ(list.IndexLength(), 2);
  journal_.clear();
  EXPECT_EQ(list.OnParentStore(5), 0);
  EXPECT_EQ(journal_, (Strings{"m0:Claim 5", "m1:Claim 5"}));
}

// The schema operations, AddChild and Register reach no member.
TEST_F(ConfiguratorListTest, SchemaOperationsAreNotForwarded) {
  CConfiguratorList list;
  list.Add(members_[0]);
  list.AddIntCol(1, "a", "h");
  list.AddUnsCol(2, "b", "h");
  list.AddStrCol(3, "c", "h");
  list.AddAlias("a", "x");
  list.SetStrFmt(3, IConfigurator::eFmtHex);
  list.AddEnum(1, 1, "on");
  list.SetColWrite(1, false);
  list.AddChild(members_[1], 4);
  EXPECT_FALSE(list.Register());
  EXPECT_TRUE(members_[0].calls.empty());
  EXPECT_TRUE(members_[1].calls.empty());
}

// With real child tables: claiming gives every unclaimed entry of both the parent's index.
class ConfiguratorListTablesTest : public ConfiguratorTest {};

TEST_F(ConfiguratorListTablesTest, ClaimGivesAllMembersEntriesTheParentIndex) {
  IConfigurator* tbl = MakeTbl();
  IConfigurator* sub = MakeSub(*tbl);
  IConfigurator* sub2 = MakeSub2(*tbl);
  for (const char* line : {"sub store", "sub store", "sub2 store", "sub2 store", "sub2 store"}) {
    ASSERT_TRUE(Run(line));
  }
  CConfiguratorList list;
  list.Add(*sub);
  list.Add(*sub2);
  EXPECT_EQ(list.OnParentStore(5), 0);
  int claimed = 0;
  for (IConfigurator* member : {sub, sub2}) {
    for (const CConfigurator::SEntry& e : CConfiguratorTestPeer(member).Entries()) {
      EXPECT_EQ(e.parentIndex, 5);
      ++claimed;
    }
  }
  EXPECT_EQ(claimed, 5);
  EXPECT_EQ(list.IndexLength(), 2);
}

// A list is never registered, so ClearConfig reaches a member only when the member itself is.
TEST_F(ConfiguratorListTablesTest, ClearConfigReachesOnlyRegisteredMembers) {
  RecordingMember unregistered;
  unregistered.name = "u";
  IConfigurator* tbl = MakeTbl();
  CConfiguratorList list;
  list.Add(unregistered);
  list.Add(*tbl);
  EXPECT_FALSE(list.Register());
  ASSERT_TRUE(Run("tbl owner=cfg create"));
  IConfigurator::ClearConfig("cfg");
  EXPECT_TRUE(unregistered.calls.empty());
  EXPECT_FALSE(Exists(Cat(oids::kTbl, "6.1")));
}

}  // namespace
}  // namespace korvax
