// The runtime's MIB: an interface that the KXMib* functions forward to, the in-memory MIB that
// the agent uses, and a fault-injecting wrapper for tests.

#ifndef KXRT_MIB_H_
#define KXRT_MIB_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kx_host.h"

namespace kxrt {

using Oid = std::vector<uint32_t>;

// What KXMibGet, KXMibGetNext, KXMibSet and KXMibGetReg reach. Contracts are those of the
// functions in kx_host.h.
class Mib {
 public:
  virtual ~Mib() = default;
  virtual int Get(KX_VARBIND_T* vb) = 0;
  virtual int GetNext(KX_VARBIND_T* vb) = 0;
  virtual int Set(KX_VARBIND_T* vb, int* errorStatus) = 0;
  virtual const KX_MIB_REG_T* GetReg(const uint32_t* ids, uint32_t count) = 0;
};

// The MIB that the KX functions use. Never null: a process starts with an empty MemoryMib.
// SetCurrentMib does not take ownership; pass null to go back to the built-in one.
Mib& CurrentMib();
void SetCurrentMib(Mib* mib);

enum class StatusStyle { kNone, kRowStatus, kEntryStatus, kStringStatus };

struct ColumnDef {
  uint32_t column = 0;
  int32_t type = KX_ASN_INTEGER;
  int32_t lower = 0;  // INTEGER: value range; OCTET STRING: length range (or the enciphered mark)
  int32_t upper = 0;
  int32_t access = KX_ACCESS_READ_CREATE;
  std::string defaultText;  // scanned with the type's letter; empty = the type's zero value
};

struct TableDef {
  Oid entry;  // the table's entry object, e.g. 1.3.6.1.4.1.9999.1.1
  std::vector<ColumnDef> columns;
  uint32_t indexDepth = 1;  // index sub-identifiers per row
  uint32_t indexMin = 1;    // range of every index sub-identifier, both ends included
  uint32_t indexMax = 0x7fffffff;
  uint32_t statusColumn = 0;  // with statusStyle != kNone
  StatusStyle statusStyle = StatusStyle::kNone;
  bool createOnFirstSet = false;  // a set of any writable column of an absent row creates it
  Oid parentEntry;                // non-empty: rows live under rows of that table (its index is
                                  // the leading indexDepth-1 sub-identifiers); removed with them
};

struct ScalarGroupDef {
  Oid group;                       // scalars are group.column.0
  std::vector<ColumnDef> scalars;  // `column` is the scalar's sub-identifier under group
};

// An in-memory MIB in lexicographic identifier order. See docs/mib.md for the row models.
class MemoryMib : public Mib {
 public:
  MemoryMib();
  ~MemoryMib() override;
  MemoryMib(const MemoryMib&) = delete;
  MemoryMib& operator=(const MemoryMib&) = delete;

  int Get(KX_VARBIND_T* vb) override;
  int GetNext(KX_VARBIND_T* vb) override;
  int Set(KX_VARBIND_T* vb, int* errorStatus) override;
  const KX_MIB_REG_T* GetReg(const uint32_t* ids, uint32_t count) override;

  // Registers a table or scalar group. Returns false with a one-line reason in *error for an
  // overlapping registration, a duplicate column, a bad default, a missing parent table...
  bool AddTable(const TableDef& def, std::string* error);
  bool AddScalarGroup(const ScalarGroupDef& def, std::string* error);
  // Removes every row of every table and resets scalars to their defaults; registrations stay.
  void Clear();
  // Called with the binding while a successful set is being applied (after the value is
  // stored, before Set returns): a module or a test may run console lines from it.
  void SetSetHook(std::function<void(const KX_VARBIND_T&)> hook);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Wraps another MIB and makes chosen calls fail, to test how callers cope.
class FaultyMib : public Mib {
 public:
  enum class Op { kGet, kGetNext, kSet };
  explicit FaultyMib(Mib& inner) : inner_(inner) {}

  // The n-th call (1-based, counted from now) of op returns `result` without reaching the inner
  // MIB; for kSet with result 1, *errorStatus is set to `errorStatus`.
  void FailNth(Op op, int n, int result, int errorStatus = 0);
  // Every call of op whose name starts with prefix fails as above.
  void FailPrefix(Op op, const Oid& prefix, int result, int errorStatus = 0);
  void Reset();
  int Calls(Op op) const;

  int Get(KX_VARBIND_T* vb) override;
  int GetNext(KX_VARBIND_T* vb) override;
  int Set(KX_VARBIND_T* vb, int* errorStatus) override;
  const KX_MIB_REG_T* GetReg(const uint32_t* ids, uint32_t count) override;

 private:
  struct Rule {
    Op op;
    int nth;  // 0 = prefix rule
    Oid prefix;
    int result;
    int errorStatus;
  };
  bool Match(Op op, const KX_VARBIND_T* vb, int* result, int* errorStatus);
  Mib& inner_;
  std::vector<Rule> rules_;
  int calls_[3] = {0, 0, 0};
};

}  // namespace kxrt

#endif  // KXRT_MIB_H_
