// Helpers shared by the configurator's source files; not part of the library's interface.

#ifndef KORVAX_CONFIGURATOR_INTERNAL_H_
#define KORVAX_CONFIGURATOR_INTERNAL_H_

#include <cstdint>
#include <string>

#include "korvax/configurator.h"

namespace korvax {

// Logs one message at level 2: the console owner and ": " when there is one, the formatted
// message cut to fit 2048 bytes with its line feed, handed to the log as finished text.
void ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The SNMP name of an error status ("wrongValue(10)"); statuses outside 0..18 get
// "unknownError(N)" in a buffer that lives until the next call.
const char* ErrorStatusName(int status);

// Enters a configurator in the process-wide registry (made on first use).
void RegistryInsert(IConfigurator* configurator);

// The verbs each table kind accepts, indexed by CConfigurator::ETableKind.
extern const uint32_t s_allowedCommands[4];

// Reads a decimal int the way "%d" does (leading white space, a sign, digits; the rest is
// ignored), but refuses a number outside the 32-bit range instead of wrapping it.
bool ScanInt(const char* text, int* value);

// The text of value in a SprintX mode, however long it is; false when the host cannot print
// the value in that mode.
bool PrintValue(const KX_ASN_VALUE_T& value, int mode, std::string* text);

// The display text of a value for messages (at most 2047 bytes).
std::string DisplayValue(const KX_ASN_VALUE_T& value);

// A binding named by the configurator's current instance of one column, released when it goes
// out of scope so that no path can leak it.
class InstanceBinding {
 public:
  InstanceBinding(CConfigurator& configurator, int column) {
    KXVarBindInit(&vb_);
    configurator.SetWorkColumn(column);
    configurator.GetWorkId(vb_.name);
  }
  ~InstanceBinding() { KXVarBindFree(&vb_); }
  InstanceBinding(const InstanceBinding&) = delete;
  InstanceBinding& operator=(const InstanceBinding&) = delete;
  KX_VARBIND_T* get() { return &vb_; }
  KX_VARBIND_T* operator->() { return &vb_; }

 private:
  KX_VARBIND_T vb_;
};

// True when a comes after b in MIB order.
inline bool ObjidAfter(const KX_OBJID_T& a, const KX_OBJID_T& b) {
  const int order = KXObjidCompareN(a.ids, a.count, b.ids, b.count);
  return order > 0 || (order == 0 && a.count > b.count);
}

// True for the tags that stand for "no value here".
inline bool IsExceptionTag(int32_t type) {
  return type == KX_ASN_NULL || type == KX_ASN_NO_SUCH_OBJECT || type == KX_ASN_NO_SUCH_INSTANCE ||
         type == KX_ASN_END_OF_MIB_VIEW;
}

// The row walk: visits every row of the table under the current index prefix, in MIB order, by
// get-next over one column. Before each call of perRow the work identifier's own index is the
// row's index; perRow may change the column position freely.
template <typename PerRow>
void CConfigurator::WalkRows(int column, PerRow perRow) {
  SetWorkColumn(column);
  SetWorkIndex(0);
  KX_OBJID_T prefix;
  KXObjidInit(&prefix);
  GetWorkId(prefix);
  if (prefix.count > 0) prefix.count -= 1;

  KX_VARBIND_T cursor;
  KXVarBindInit(&cursor);
  KXObjidCopy(&cursor.name, &prefix);
  KX_OBJID_T previous;
  KXObjidInit(&previous);
  KXObjidCopy(&previous, &prefix);
  // A get-next that fails, or answers without moving on, leaves the name where it was; the walk
  // stops then, so that a failing MIB cannot turn it into an endless loop over one row.
  int more = KXMibGetNext(&cursor);
  while (more && cursor.value.type != KX_ASN_END_OF_MIB_VIEW && cursor.name.count > prefix.count &&
         KXObjidCompareN(cursor.name.ids, prefix.count, prefix.ids, prefix.count) == 0 &&
         ObjidAfter(cursor.name, previous)) {
    KXObjidCopy(&previous, &cursor.name);
    SetWorkIndex(static_cast<int>(cursor.name.ids[cursor.name.count - 1]));
    perRow();
    more = KXMibGetNext(&cursor);
  }
  const bool stuck =
      more == 0 || (cursor.value.type != KX_ASN_END_OF_MIB_VIEW &&
                    cursor.name.count > prefix.count && !ObjidAfter(cursor.name, previous));
  if (stuck) {
    // The rows after this point were not visited: say so rather than end quietly.
    ReportError(
        "Cannot read the rows of %s after index %d", m_name.c_str(),
        static_cast<int>(previous.count > prefix.count ? previous.ids[previous.count - 1] : 0));
  }
  KXVarBindFree(&cursor);
  KXObjidFree(&previous);
  KXObjidFree(&prefix);
}

}  // namespace korvax

#endif  // KORVAX_CONFIGURATOR_INTERNAL_H_
