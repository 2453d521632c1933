// The word grammar of a command line and the conversion of each value by its column's type.

#include "configurator/testutil.h"

namespace korvax {
namespace {

class ParsingTest : public ConfiguratorTest {
 protected:
  void SetUp() override {
    tbl_ = static_cast<CConfigurator*>(MakeTbl());
    log_.Take();
  }

  struct Outcome {
    bool ok;
    std::string command;  // "(none)" when there is no command word
    std::string log;
  };
  Outcome Parse(const std::vector<std::string>& words) {
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    const char* command = nullptr;
    log_.Take();
    const bool ok = tbl_->Parse(static_cast<int>(argv.size()), argv.data(), command);
    return {ok, command != nullptr ? command : "(none)", log_.Take()};
  }
  CConfigurator::SColumn& Col(const std::string& name) {
    return *CConfiguratorTestPeer(tbl_).Column(name);
  }
  std::string Text(const std::string& name) {
    const KX_OCTET_STRING_T& os = Col(name).value.value.octets;
    return os.length == 0 ? "" : std::string(reinterpret_cast<char*>(os.data), os.length);
  }
  std::string Encrypted(const std::string& clear) {
    std::string text;
    EXPECT_TRUE(kxrt::Encrypt(clear, &text));
    return text;
  }

  CConfigurator* tbl_ = nullptr;
};

TEST_F(ParsingTest, WordGrammar) {
  struct Case {
    std::vector<std::string> words;
    bool ok;
    std::string command;
    std::string name;  // expected value of the name property afterwards ("-" = not set)
    std::string log;
  } cases[] = {
      {{}, true, "(none)", "-", ""},
      {{"name=b=c"}, true, "(none)", "b=c", ""},
      {{"name="}, true, "(none)", "", ""},
      {{"name=", "5"}, true, "5", "", ""},
      {{"=5"}, true, "=5", "-", ""},
      {{"name", "=", "value"}, true, "(none)", "value", ""},
      {{"name", "=value"}, true, "(none)", "value", ""},
      {{"name", "=", "create"}, true, "(none)", "create", ""},
      {{"create", "name=x"}, true, "create", "x", ""},
      {{"name", "="}, true, "name", "-", ""},
      {{"create", "name", "="},
       false,
       "create",
       "-",
       "Loose word \"name\" when command is already \"create\"\n"},
      {{"create", "store"},
       false,
       "create",
       "-",
       "Loose word \"store\" when command is already \"create\"\n"},
      {{"create", "store", "name=late"},
       false,
       "create",
       "-",
       "Loose word \"store\" when command is already \"create\"\n"},
      {{"count=0", "name=after"},
       false,
       "(none)",
       "after",
       "Integer value for count outside allowable range (1 - 100)\n"},
      {{"bogus=1"}, false, "(none)", "-", "Unrecognized keyword 'bogus'\n"},
  };
  for (const Case& c : cases) {
    tbl_->ResetValues();
    const Outcome got = Parse(c.words);
    std::string joined;
    for (const std::string& w : c.words) joined += "[" + w + "]";
    EXPECT_EQ(got.log, c.log) << joined;
    EXPECT_EQ(got.ok, c.ok) << joined;
    EXPECT_EQ(got.command, c.command) << joined;
    if (c.name == "-") {
      EXPECT_FALSE(Col("name").isSet) << joined;
    } else {
      EXPECT_TRUE(Col("name").isSet) << joined;
      EXPECT_EQ(Text("name"), c.name) << joined;
    }
  }
}

TEST_F(ParsingTest, TwoTrailingLooseWordsAreRefused) {
  // "name" becomes the command word; "x", pending at the end, is a second loose word.
  const Outcome got = Parse({"name", "x"});
  EXPECT_FALSE(got.ok);
  EXPECT_EQ(got.command, "name");
  EXPECT_EQ(got.log, "Loose word \"x\" when command is already \"name\"\n");
}

TEST_F(ParsingTest, NameLengthLimitAppliesToOneWordPairsOnly) {
  const std::string name255(255, 'a');
  const std::string name256(256, 'a');
  EXPECT_EQ(Parse({name255 + "=1"}).log, "Unrecognized keyword '" + name255 + "'\n");
  const Outcome tooLong = Parse({name256 + "=1"});
  EXPECT_FALSE(tooLong.ok);
  EXPECT_EQ(tooLong.log, "Name is too long (max is 255): " + name256 + "=1\n");
  EXPECT_EQ(Parse({name256, "=", "1"}).log, "Unrecognized keyword '" + name256 + "'\n");
}

TEST_F(ParsingTest, EncipheredPairs) {
  const std::string secret = Encrypted("s3cret value");
  for (const std::vector<std::string>& words : {std::vector<std::string>{"secret@=" + secret},
                                                {"secret", "@=", secret},
                                                {"secret", "@=" + secret}}) {
    tbl_->ResetValues();
    const Outcome got = Parse(words);
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(got.log, "");
    EXPECT_EQ(Text("secret"), "s3cret value");
  }
  // Deciphering comes before the name is looked up; an empty name is then no keyword.
  EXPECT_EQ(Parse({"@=" + Encrypted("x")}).log, "Unrecognized keyword ''\n");
  EXPECT_EQ(Parse({"name@=garbage!"}).log, "Error decrypting \"garbage!\" (error -2).\n");
  std::string tampered = Encrypted("abc");
  // A character inside the text (the last one may only carry padding bits).
  tampered[10] = tampered[10] == 'A' ? 'B' : 'A';
  EXPECT_EQ(Parse({"name@=" + tampered}).log,
            "Error decrypting \"" + tampered + "\" (error -3).\n");
  // Messages about a deciphered value show the clear text.
  EXPECT_EQ(Parse({"count@=" + Encrypted("zz")}).log, "Invalid integer value 'zz'\n");
}

TEST_F(ParsingTest, UnknownOperatorIsRefused) {
  log_.Take();
  EXPECT_FALSE(tbl_->ParsePair("name", '+', "1"));
  EXPECT_EQ(log_.Take(), "Unknown operator '+'.\n");
}

TEST_F(ParsingTest, ConversionsByType) {
  struct Case {
    std::string word;
    std::string log;  // empty when accepted
  } cases[] = {
      {"count=12abc", ""},
      {"count= 7", ""},
      {"count=abc", "Invalid integer value 'abc'\n"},
      {"count=99999999999", "Invalid integer value '99999999999'\n"},
      {"count=101", "Integer value for count outside allowable range (1 - 100)\n"},
      {"alpha=3xyz", ""},
      {"alpha=off", ""},
      {"alpha=disabled", ""},
      {"alpha=Off", "Invalid enumeration value 'Off'\n"},
      {"alpha=4294967297", "Invalid enumeration value '4294967297'\n"},
      {"mac=0a:1B:ff", ""},
      {"mac=0a1", "Invalid hex-string '0a1'\n"},
      {"mac=zz", "Invalid hex-string 'zz'\n"},
      {"dotted=1.2.255", ""},
      {"dotted=1.256", "Invalid decimal-string '1.256'\n"},
      {"ident=1.3.6.1", ""},
      {"ident=1..3", "Invalid object-identifier '1..3'\n"},
      {"ident=1.4294967296", "Invalid object-identifier '1.4294967296'\n"},
      {"addr=10.0.0.1", ""},
      {"addr=10.0.1", "Invalid IP address '10.0.1'\n"},
      {"addr=10.0.0.256", "Invalid IP address '10.0.0.256'\n"},
      {"uns=4294967295", ""},
      {"uns=-1", "Invalid unsigned value '-1'\n"},
      {"uns=4294967296", "Invalid unsigned value '4294967296'\n"},
      {"ticks=100", ""},
      {"ticks=x", "Invalid time ticks 'x'\n"},
      {"name=any text", ""},
  };
  for (const Case& c : cases) {
    const Outcome got = Parse({c.word});
    EXPECT_EQ(got.log, c.log) << c.word;
    EXPECT_EQ(got.ok, c.log.empty()) << c.word;
  }
}

TEST_F(ParsingTest, ConvertedValuesAreStored) {
  ASSERT_TRUE(Parse({"count=12abc", "alpha=3xyz", "mac=0a:1b", "addr=10.1.2.3", "uns=4294967295",
                     "ident=1.3.6"})
                  .ok);
  EXPECT_EQ(Col("count").value.value.integer, 12);
  EXPECT_EQ(Col("alpha").value.value.integer, 3);  // a number needs no name
  EXPECT_EQ(Text("mac"), std::string("\x0a\x1b"));
  EXPECT_EQ(Text("addr"), std::string("\x0a\x01\x02\x03"));
  EXPECT_EQ(static_cast<uint32_t>(Col("uns").value.value.integer), 4294967295u);
  EXPECT_EQ(CConfiguratorTestPeer::OidText(Col("ident").value.value.oid), "1.3.6");
  ASSERT_TRUE(Parse({"alpha=disabled"}).ok);
  EXPECT_EQ(Col("alpha").value.value.integer, 2);  // input-only name stands for the positive value
}

TEST_F(ParsingTest, RefusedValueKeepsThePreviousOne) {
  ASSERT_TRUE(Parse({"mac=01:02", "count=5"}).ok);
  EXPECT_FALSE(Parse({"mac=nothex", "count=500"}).ok);
  EXPECT_TRUE(Col("mac").isSet);
  EXPECT_EQ(Text("mac"), std::string("\x01\x02"));
  EXPECT_EQ(Col("count").value.value.integer, 5);
}

TEST_F(ParsingTest, IndexAndOwnerKeywords) {
  CConfiguratorTestPeer peer(tbl_);
  struct Case {
    std::string word;
    int index;
    std::string log;
  } cases[] = {
      {"index=5", 5, ""},
      {"index=0", 0, ""},
      {"index=-3", -3, ""},
      {"index=-2147483648", -2147483648, ""},
      {"index=2147483648", 77, "Invalid index '2147483648'\n"},
      {"index=x", 77, "Invalid index 'x'\n"},
  };
  for (const Case& c : cases) {
    peer.SetRequestedIndex(77);
    EXPECT_EQ(Parse({c.word}).log, c.log) << c.word;
    EXPECT_EQ(peer.RequestedIndex(), c.index) << c.word;
  }
  ASSERT_TRUE(Parse({"owner=someone"}).ok);
  EXPECT_EQ(peer.Owner(), "someone");
  ASSERT_TRUE(Parse({"owner="}).ok);
  EXPECT_EQ(peer.Owner(), "");
}

TEST_F(ParsingTest, PropertiesShadowKeywords) {
  IConfigurator* c =
      Keep(IConfigurator::Create("shadow", "d", oids::kEnt, IConfigurator::eEntryStatus, 3, 2));
  c->AddStrCol(1, "index", "a property called index");
  c->AddStrCol(2, "owner", "a property called owner");
  auto* conf = static_cast<CConfigurator*>(c);
  const char* words[] = {"index=abc", "owner=me"};
  const char* command = nullptr;
  ASSERT_TRUE(conf->Parse(2, words, command));
  CConfiguratorTestPeer peer(c);
  EXPECT_EQ(peer.RequestedIndex(), 0);
  EXPECT_EQ(peer.Owner(), "");
  EXPECT_TRUE(peer.Column("index")->isSet);
  EXPECT_TRUE(peer.Column("owner")->isSet);
}

TEST_F(ParsingTest, UnboundedIntegerTakesEveryNumber) {
  // alpha is registered without a range (bounds 0 and 0).
  for (const char* word : {"alpha=-2147483648", "alpha=2147483647", "alpha=0"}) {
    EXPECT_TRUE(Parse({word}).ok) << word;
  }
}

TEST_F(ParsingTest, LaterValueReplacesEarlierAcrossLines) {
  ASSERT_TRUE(Parse({"name=one", "name=two"}).ok);
  EXPECT_EQ(Text("name"), "two");
  ASSERT_TRUE(Parse({"count=3"}).ok);
  EXPECT_EQ(Text("name"), "two");  // values add up over lines
  EXPECT_TRUE(Col("count").isSet);
}

}  // namespace
}  // namespace korvax
