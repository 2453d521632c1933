// Declaring columns: records, names and aliases, enumerations, formats typed from the MIB, and
// the schema frozen by registration.

#include "configurator/testutil.h"

namespace korvax {
namespace {

using SchemaTest = ConfiguratorTest;

TEST_F(SchemaTest, RedeclaredColumnReusesItsRecord) {
  IConfigurator* c =
      Keep(IConfigurator::Create("t", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  CConfiguratorTestPeer peer(c);
  c->AddIntCol(3, "first", "h1");
  c->AddEnum(3, 1, "on");
  c->SetStrFmt(3, IConfigurator::eFmtHex);
  c->AddStrCol(3, "second", "h2");
  EXPECT_EQ(peer.ColumnCount(), 1u);
  EXPECT_EQ(peer.Column("first"), peer.Column("second"));
  CConfigurator::SColumn* col = peer.Column("second");
  EXPECT_EQ(col->name, "second");
  EXPECT_EQ(col->help, "h2");
  EXPECT_EQ(col->enums.at("on"), 1);             // enumerations remain
  EXPECT_EQ(col->fmt, IConfigurator::eFmtText);  // the format is set again
  EXPECT_EQ(CConfiguratorTestPeer::OidText(col->value.name), std::string(oids::kTbl) + ".3.0");
}

TEST_F(SchemaTest, OneNameForTwoColumnsAddressesTheLater) {
  IConfigurator* c =
      Keep(IConfigurator::Create("t", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  CConfiguratorTestPeer peer(c);
  c->AddIntCol(3, "dup", "a");
  c->AddIntCol(4, "dup", "b");
  EXPECT_EQ(peer.ColumnCount(), 2u);
  EXPECT_EQ(peer.Column("dup")->column, 4);
}

TEST_F(SchemaTest, Aliases) {
  IConfigurator* c =
      Keep(IConfigurator::Create("t", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  CConfiguratorTestPeer peer(c);
  c->AddIntCol(3, "alpha", "a");
  c->AddIntCol(4, "count", "c");
  c->AddAlias("missing", "nothing");
  EXPECT_EQ(peer.Column("nothing"), nullptr);
  c->AddAlias("alpha", "count");  // another column's name now addresses alpha
  EXPECT_EQ(peer.Column("count")->column, 3);
}

TEST_F(SchemaTest, EnumerationsAndTheirNames) {
  IConfigurator* c =
      Keep(IConfigurator::Create("t", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  CConfiguratorTestPeer peer(c);
  c->AddEnum(3, 1, "orphan");  // no record: nothing happens
  EXPECT_EQ(peer.ColumnCount(), 0u);
  c->AddIntCol(3, "alpha", "a");
  c->AddEnum(3, 1, "zeta");
  c->AddEnum(3, 1, "beta");
  c->AddEnum(3, 2, "gamma");
  c->AddEnum(3, 5, "gamma");  // replaces the value
  const CConfigurator::SColumn& col = *peer.Column("alpha");
  EXPECT_STREQ(CConfigurator::GetEnumName(col, 1), "beta");
  EXPECT_STREQ(CConfigurator::GetEnumName(col, 5), "gamma");
  EXPECT_EQ(CConfigurator::GetEnumName(col, 2), nullptr);
}

TEST_F(SchemaTest, TypesAndFormatsComeFromTheRegistration) {
  IConfigurator* c =
      Keep(IConfigurator::Create("t", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  CConfiguratorTestPeer peer(c);
  c->AddStrCol(8, "secret", "");
  c->AddStrCol(10, "ident", "");
  c->AddStrCol(9, "addr", "");
  c->AddStrCol(99, "ghost", "");
  c->AddStrCol(2, "text", "");
  c->AddIntCol(13, "asint", "");
  struct Case {
    const char* name;
    int type;
    IConfigurator::EStrFmt fmt;
  } cases[] = {
      {"secret", KX_ASN_OCTET_STRING, IConfigurator::eFmtEnciphered},
      {"ident", KX_ASN_OBJECT_ID, IConfigurator::eFmtOid},
      {"addr", KX_ASN_IPADDRESS, IConfigurator::eFmtIpAddr},
      {"ghost", 0, IConfigurator::eFmtText},
      {"text", KX_ASN_OCTET_STRING, IConfigurator::eFmtText},
      {"asint", KX_ASN_UNSIGNED, IConfigurator::eFmtNumber},
  };
  for (const Case& k : cases) {
    const CConfigurator::SColumn& col = *peer.Column(k.name);
    EXPECT_EQ(col.type, k.type) << k.name;
    EXPECT_EQ(col.fmt, k.fmt) << k.name;
    EXPECT_EQ(col.value.value.type, k.type) << k.name;
  }
}

TEST_F(SchemaTest, IntAndUnsignedAddersMakeTheSameRecord) {
  IConfigurator* a =
      Keep(IConfigurator::Create("a", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  IConfigurator* b =
      Keep(IConfigurator::Create("b", "d", oids::kTbl, IConfigurator::eRowStatus, 6, 5));
  a->AddIntCol(13, "n", "h");
  b->AddUnsCol(13, "n", "h");
  const CConfigurator::SColumn& x = *CConfiguratorTestPeer(a).Column("n");
  const CConfigurator::SColumn& y = *CConfiguratorTestPeer(b).Column("n");
  EXPECT_EQ(x.type, y.type);
  EXPECT_EQ(x.fmt, y.fmt);
  EXPECT_EQ(CConfiguratorTestPeer::OidText(x.value.name),
            CConfiguratorTestPeer::OidText(y.value.name));
}

TEST_F(SchemaTest, RegistrationFreezesAllButAliasesAndWriteFlags) {
  IConfigurator* c = MakeEnt();
  CConfiguratorTestPeer peer(c);
  c->AddIntCol(3, "late", "h");
  c->AddEnum(1, 1, "late");
  c->SetStrFmt(1, IConfigurator::eFmtHex);
  EXPECT_EQ(peer.ColumnCount(), 1u);
  EXPECT_EQ(peer.Column("late"), nullptr);
  EXPECT_TRUE(peer.Column("descr")->enums.empty());
  EXPECT_EQ(peer.Column("descr")->fmt, IConfigurator::eFmtText);
  c->SetColWrite(1, false);
  c->AddAlias("descr", "description");
  EXPECT_FALSE(peer.Column("descr")->write);
  ASSERT_TRUE(Run("ent description=via-alias create"));
  EXPECT_EQ(ReadText(Cat(oids::kEnt, "1.1")), "via-alias");
}

}  // namespace
}  // namespace korvax
