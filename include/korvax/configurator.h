// Configurators turn a MIB table (or a group of scalars) into one console command that creates
// and changes rows, and write the table's live rows back out as console lines that recreate
// them.
//
// A module creates a configurator with one of the IConfigurator::Create functions, declares the
// columns a user may set, attaches child tables, and calls Register. From then on the
// configurator is the console command named by its first argument. The module owns the
// configurator and deletes it through the IConfigurator pointer.
//
// Everything here runs on the host's console thread; nothing is locked.

#ifndef KORVAX_CONFIGURATOR_H_
#define KORVAX_CONFIGURATOR_H_

#include <cstdio>
#include <list>
#include <map>
#include <set>
#include <string>

#include "korvax/export.h"
#include "kx_host.h"

extern "C" {
// The console calls this for every line of a registered configurator's command: cmd is the
// descriptor the configurator registered, argv the argc words after the command name. Returns 1
// when there was at least one word, else 0; the outcome of the line is the console value "?".
KORVAX_EXPORT int ConfiguratorGenericCallback(KX_CONSOLE_CMD_T* cmd, int argc,
                                              const char* const* argv);
}

namespace korvax {

class CConfiguratorList;

// The verbs of a command line, as bit values (a table kind allows a set of them).
enum ECommand {
  eCmdSet = 1,                // a line without a verb: write the values now
  eCmdStore = 2,              // "store": keep the values as an entry of a child table
  eCmdCreateAndWait = 4,      // "createAndWait": create a row, write its values, leave it inactive
  eCmdCreate = 8,             // "create", "createAndGo": create, write and activate a row
  eCmdActivate = 16,          // "activate": activate the current row
  eCmdReset = 32,             // "reset": forget values, owner, index and stored entries
  eCmdCreatePersistent = 64,  // "createpersistent": as create; the row belongs to the console owner
  eCmdRemove = 128            // remove the current row (no verb word)
};

class KORVAX_EXPORT IConfigurator {
 public:
  // How a string-valued column is shown, parsed and written.
  enum EStrFmt {
    eFmtText = 0,        // plain text
    eFmtHex = 1,         // octets as hexadecimal
    eFmtDecimal = 2,     // octets as dotted decimal numbers
    eFmtOid = 3,         // an OBJECT IDENTIFIER column
    eFmtIpAddr = 4,      // an IpAddress column
    eFmtEnciphered = 5,  // written enciphered with "@="
    eFmtNumber = 6       // not a string: set by AddIntCol and AddUnsCol
  };

  // The style of a status table's row-status column.
  enum EStatusType {
    eEntryStatus = 0,  // INTEGER: createRequest 2, valid 1, invalid 4
    eRowStatus = 1,    // INTEGER: createAndWait 5, active 1, destroy 6
    eStringStatus = 2  // OCTET STRING: "New" creates, the empty text removes
  };

  // The entries of the virtual table, in this order.

  // Builds the help texts and hands the command to the console; the configurator then joins the
  // process-wide registry. Call once, after the schema is complete: the column, enumeration and
  // format operations do nothing afterwards. Returns true (false for a list, which registers
  // nothing).
  virtual bool Register() = 0;
  // Appends the console lines that recreate the table's live rows (child rows inside their
  // parent's) to file. Rows whose owner marks them temporary are left out. The file is neither
  // flushed nor closed. Returns true.
  virtual bool WritePrimitiveState(FILE* file) = 0;
  // Makes child a table whose rows live under this table's rows, and sizeColumn (0 for none) the
  // column of this table that receives the number of child rows. child is not owned and must
  // outlive this configurator. Works before and after Register.
  virtual void AddChild(IConfigurator& child, int sizeColumn) = 0;
  // Declares (or redeclares) a numeric column settable by the property name; the type comes
  // from the MIB registration of the column. name and help are copied.
  virtual void AddIntCol(int column, const char* name, const char* help) = 0;
  // The same as AddIntCol.
  virtual void AddUnsCol(int column, const char* name, const char* help) = 0;
  // Declares a string column; its format follows the registered type (enciphered, OID, IP
  // address or text).
  virtual void AddStrCol(int column, const char* name, const char* help) = 0;
  // Lets alias address the column that name addresses; nothing when name addresses none.
  virtual void AddAlias(const char* name, const char* alias) = 0;
  // Changes a column's string format.
  virtual void SetStrFmt(int column, EStrFmt fmt) = 0;
  // Adds an enumeration name to an INTEGER column. A negative value makes an input-only name for
  // the positive value.
  virtual void AddEnum(int column, int value, const char* name) = 0;
  // Includes (true, the default) or excludes a column from WritePrimitiveState.
  virtual void SetColWrite(int column, bool write) = 0;
  // Deregisters the command, leaves the registry and releases everything the object owns.
  virtual ~IConfigurator();
  // Writes the values of the current command (or a child table's stored entries) into the MIB,
  // then sets up the children under the current row. False when a write failed.
  virtual bool SetupEntries() = 0;
  // Discards the stored entries; the MIB is not touched.
  virtual void ClearEntries() = 0;
  // Removes from the MIB every row whose owner text begins with owner ("" matches every row).
  virtual void ClearEntries(const char* owner) = 0;
  // The number of stored entries.
  virtual int NumEntries() const = 0;
  // The number of index sub-identifiers of one row.
  virtual int IndexLength() const = 0;
  // Copies n index sub-identifiers of the parent row into the positions before the own index.
  virtual void SetIndexPrefix(unsigned* prefix, int n) = 0;
  // Gives every stored entry that no parent claimed yet the parent's index; returns how many.
  virtual int OnParentStore(int parentIndex) = 0;

  // A scalar group: its scalars are the instances oid.column.0. Never returns null; the caller
  // owns the result. Texts are copied.
  static IConfigurator* Create(const char* name, const char* descr, const char* oid);
  // An indexed table whose rows come into being when a column is set; every row has column.
  static IConfigurator* Create(const char* name, const char* descr, const char* oid, int column);
  // A child table whose rows are indexed under a row of parent.
  static IConfigurator* Create(const char* name, const char* descr, const char* oid,
                               IConfigurator& parent);
  // A table with a row-status column (and an owner column, 0 for none).
  static IConfigurator* Create(const char* name, const char* descr, const char* oid,
                               EStatusType type, int statusColumn, int ownerColumn);

  // Executes the configuration file through the console ("config execute" and the quoted
  // name). Reports nothing; the lines report their own errors.
  static void ApplyConfig(const char* file);
  // Removes, in every registered configurator's table, the rows whose owner begins with owner.
  static void ClearConfig(const char* owner);

 protected:
  IConfigurator() = default;

 public:
  IConfigurator(const IConfigurator&) = delete;
  IConfigurator& operator=(const IConfigurator&) = delete;
};

// The table configurator behind IConfigurator::Create.
class KORVAX_EXPORT CConfigurator : public IConfigurator {
 public:
  // The kind of table, fixed by the constructor.
  enum ETableKind { eStatusTable = 0, eChildTable = 1, eScalarGroup = 2, eIndexedTable = 3 };

  // One column's schema and the value the current command gave it.
  struct SColumn {
    int column = 0;
    std::string name;  // the property name given when the column was added
    std::string help;
    int type = 0;  // ASN type tag from the MIB registration; 0 when unregistered
    EStrFmt fmt = eFmtText;
    std::map<std::string, int> enums;
    KX_VARBIND_T value{};  // owned; its name is the column's instance when it was last set
    bool isSet = false;
    bool write = true;
  };

  // One stored row of a child table, kept for the parent's setup.
  struct SEntry {
    int parentIndex = 0;  // 0 until a parent's store claims it
    int index = 0;
    int childCount = 0;          // the child entries this entry claimed
    KX_VARBIND_LIST_T values{};  // one binding per column, in column order
  };

  CConfigurator(const char* name, const char* descr, const char* oid);
  CConfigurator(const char* name, const char* descr, const char* oid, int column);
  CConfigurator(const char* name, const char* descr, const char* oid, IConfigurator& parent);
  CConfigurator(const char* name, const char* descr, const char* oid, EStatusType type,
                int statusColumn, int ownerColumn);
  ~CConfigurator() override;

  // IConfigurator.
  bool Register() override;
  bool WritePrimitiveState(FILE* file) override;
  void AddChild(IConfigurator& child, int sizeColumn) override;
  void AddIntCol(int column, const char* name, const char* help) override;
  void AddUnsCol(int column, const char* name, const char* help) override;
  void AddStrCol(int column, const char* name, const char* help) override;
  void AddAlias(const char* name, const char* alias) override;
  void SetStrFmt(int column, EStrFmt fmt) override;
  void AddEnum(int column, int value, const char* name) override;
  void SetColWrite(int column, bool write) override;
  bool SetupEntries() override;
  void ClearEntries() override;
  void ClearEntries(const char* owner) override;
  int NumEntries() const override;
  int IndexLength() const override;
  void SetIndexPrefix(unsigned* prefix, int n) override;
  int OnParentStore(int parentIndex) override;

  // Work identifier: table OID, column, parent index prefix, own index. The writers do no bounds
  // checks; callers keep within that layout.
  void SetWorkColumn(int column);
  void SetParentWorkIndex(int index);
  void SetWorkIndex(int index);
  // Deep-copies the work identifier into oid.
  void GetWorkId(KX_OBJID_T& oid);

  // Reads "ConfigRemoveOnFail" from the settings.
  void InitCfg();

  // Schema helpers.
  EStrFmt DefaultStrFmt(const SColumn& col);
  // The first name (in byte order) whose value is value, or null; the text belongs to col.
  static const char* GetEnumName(const SColumn& col, int value);

  // Console command. Callback parses the words and runs the verb; false only without words.
  bool Callback(int argc, const char* const* argv);
  // Turns words into column values, index and owner; *command receives the verb word or null.
  // True when every pair was accepted and there was at most one loose word.
  bool Parse(int argc, const char* const* argv, const char*& command);
  // One name, operator ('=' or '@') and value. True when the value was stored.
  bool ParsePair(const char* name, char op, const char* value);
  // Runs a verb (null: a line without one). Always true; the outcome goes to "?" and the log.
  bool OnCommand(const char* verb);

  // Row control on the current row (the own index of the work identifier).
  bool SetStatus(ECommand cmd);
  bool CreateControlRow();
  bool ActivateControlRow();
  // A free row index above the search start (or the requested index); 0 when there is none.
  int FindAvailableIdx();
  bool SetColumn(KX_VARBIND_T& binding, SColumn& column);
  bool SetOwner();
  bool GetOwner(std::string& owner);
  bool RowIsActive();
  bool RemoveEntry();
  void ResetValues();

  // Entry store.
  int Store();
  // True when the current row is to be written (its owner is not temporary).
  bool FilterEntry();
  // Writes count (or, when negative, the child's number of entries) into the child-size column
  // of the current row.
  bool SetChildSize(int count);
  bool GetChildSize(int& count);

  // Writer.
  bool WriteEntries(FILE* file);
  bool WriteEntry(FILE* file);
  bool WriteColumns(FILE* file);

 private:
  friend class CConfiguratorTestPeer;

  void Construct(const char* name, const char* descr, const char* oid, ETableKind kind,
                 const IConfigurator* parent);
  void AddColumn(int column, const char* name, const char* help, bool isString);
  bool ParseInteger(SColumn& col, const char* text);
  bool ParseScanned(SColumn& col, const char* text);
  void PublishResult(int value);
  void BuildSyntax(std::string& syntax);
  void BuildProperties(std::list<std::string>& lines);
  uint32_t TableOidLength() const { return m_tableOid.count; }
  int CurrentIndex() const;
  // Calls perRow for every row of the table under the current index prefix, walking column.
  template <typename PerRow>
  void WalkRows(int column, PerRow perRow);

  bool m_registered = false;
  KX_CONSOLE_CMD_T m_command{};
  std::string m_name;
  std::string m_help;
  std::string m_oidText;
  KX_OBJID_T m_tableOid{};
  EStatusType m_statusType = eRowStatus;
  int m_statusColumn = 0;
  int m_ownerColumn = 0;
  int m_childSizeColumn = 0;
  int m_indexLength = 1;
  ETableKind m_tableKind = eScalarGroup;
  bool m_removeOnFail = true;
  std::map<std::string, SColumn*> m_names;
  std::map<int, SColumn> m_columns;
  IConfigurator* m_child = nullptr;
  CConfiguratorList* m_childList = nullptr;
  KX_OBJID_T m_workOid{};
  std::list<SEntry> m_entries;
  int m_requestedIndex = 0;
  int m_searchStart = 0;
  std::string m_owner;
  bool m_ownerGiven = false;  // "owner=" was typed, possibly with an empty text
  bool m_persistent = false;
  int m_ownerPushes = 0;
  bool m_ownerPushed = false;
  // Descriptor texts made by Register (the descriptor points into them).
  char* m_syntaxText = nullptr;
  char** m_propertyTexts = nullptr;
};

// Groups configurators and forwards to every member, in ascending address order. Members are
// not owned and must outlive the list (or be removed first).
class KORVAX_EXPORT CConfiguratorList : public IConfigurator {
 public:
  CConfiguratorList() = default;
  ~CConfiguratorList() override;

  // Adds a member; adding a member twice changes nothing.
  void Add(IConfigurator& configurator);
  // Removes a member; removing a non-member changes nothing.
  void Remove(IConfigurator& configurator);

  bool Register() override;                                                 // nothing; false
  bool WritePrimitiveState(FILE* file) override;                            // every member; true
  void AddChild(IConfigurator& child, int sizeColumn) override;             // nothing
  void AddIntCol(int column, const char* name, const char* help) override;  // nothing
  void AddUnsCol(int column, const char* name, const char* help) override;  // nothing
  void AddStrCol(int column, const char* name, const char* help) override;  // nothing
  void AddAlias(const char* name, const char* alias) override;              // nothing
  void SetStrFmt(int column, EStrFmt fmt) override;                         // nothing
  void AddEnum(int column, int value, const char* name) override;           // nothing
  void SetColWrite(int column, bool write) override;                        // nothing
  // Members in order until one fails; false if one did.
  bool SetupEntries() override;
  void ClearEntries() override;
  void ClearEntries(const char* owner) override;
  // The first member's count (not a sum); 0 for an empty list.
  int NumEntries() const override;
  // The first member's index length; 0 for an empty list.
  int IndexLength() const override;
  void SetIndexPrefix(unsigned* prefix, int n) override;
  // Every member claims its entries; returns 0.
  int OnParentStore(int parentIndex) override;

 private:
  std::set<IConfigurator*> m_members;
};

}  // namespace korvax

#endif  // KORVAX_CONFIGURATOR_H_
