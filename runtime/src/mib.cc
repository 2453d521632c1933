// The process's current MIB and the KXMib* functions that reach it.

#include "kxrt/mib.h"

#include <new>

namespace kxrt {
namespace {

Mib* g_current = nullptr;

MemoryMib& BuiltinMib() {
  // Never destroyed: modules may still reach the MIB from static destructors.
  static MemoryMib* builtin = new MemoryMib();
  return *builtin;
}

}  // namespace

Mib& CurrentMib() {
  return g_current != nullptr ? *g_current : BuiltinMib();
}

void SetCurrentMib(Mib* mib) {
  g_current = mib;
}

}  // namespace kxrt

// The C entry points never let an exception out: running out of memory while copying a value
// or a row is a request that could not be processed.

int KXMibGet(KX_VARBIND_T* vb) {
  if (vb == nullptr) return 0;
  try {
    return kxrt::CurrentMib().Get(vb);
  } catch (const std::bad_alloc&) {
    KXVarBindFreeValue(vb);
    return 0;
  }
}

int KXMibGetNext(KX_VARBIND_T* vb) {
  if (vb == nullptr) return 0;
  try {
    return kxrt::CurrentMib().GetNext(vb);
  } catch (const std::bad_alloc&) {
    KXVarBindFreeValue(vb);
    return 0;
  }
}

int KXMibSet(KX_VARBIND_T* vb, int* errorStatus) {
  if (vb == nullptr || errorStatus == nullptr) return 0;
  try {
    return kxrt::CurrentMib().Set(vb, errorStatus);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

const KX_MIB_REG_T* KXMibGetReg(const uint32_t* ids, uint32_t count) {
  return kxrt::CurrentMib().GetReg(ids, count);
}
