// FaultyMib: counts the calls it passes on and answers chosen ones itself.

#include "kxrt/mib.h"
#include "mib_order.h"

namespace kxrt {

void FaultyMib::FailNth(Op op, int n, int result, int errorStatus) {
  if (n <= 0) return;
  rules_.push_back(Rule{op, calls_[static_cast<int>(op)] + n, Oid(), result, errorStatus});
}

void FaultyMib::FailPrefix(Op op, const Oid& prefix, int result, int errorStatus) {
  rules_.push_back(Rule{op, 0, prefix, result, errorStatus});
}

void FaultyMib::Reset() {
  rules_.clear();
  for (int& count : calls_) count = 0;
}

int FaultyMib::Calls(Op op) const {
  return calls_[static_cast<int>(op)];
}

// Counts the call and tells whether a rule answers it. A count rule fires on exactly one call;
// the first matching rule wins.
bool FaultyMib::Match(Op op, const KX_VARBIND_T* vb, int* result, int* errorStatus) {
  int call = ++calls_[static_cast<int>(op)];
  for (const Rule& rule : rules_) {
    if (rule.op != op) continue;
    bool hit = rule.nth > 0 ? rule.nth == call
                            : vb != nullptr && (vb->name.ids != nullptr || vb->name.count == 0) &&
                                  IdSpan(vb->name.ids, vb->name.count).StartsWith(rule.prefix);
    if (hit) {
      *result = rule.result;
      *errorStatus = rule.errorStatus;
      return true;
    }
  }
  return false;
}

// An answered read leaves the name alone and the value NULL, as a failed read does.
int FaultyMib::Get(KX_VARBIND_T* vb) {
  int result = 0;
  int errorStatus = 0;
  if (!Match(Op::kGet, vb, &result, &errorStatus)) return inner_.Get(vb);
  if (vb != nullptr) KXVarBindFreeValue(vb);
  return result;
}

int FaultyMib::GetNext(KX_VARBIND_T* vb) {
  int result = 0;
  int errorStatus = 0;
  if (!Match(Op::kGetNext, vb, &result, &errorStatus)) return inner_.GetNext(vb);
  if (vb != nullptr) KXVarBindFreeValue(vb);
  return result;
}

int FaultyMib::Set(KX_VARBIND_T* vb, int* errorStatus) {
  int result = 0;
  int status = 0;
  if (!Match(Op::kSet, vb, &result, &status)) return inner_.Set(vb, errorStatus);
  if (result == 1 && errorStatus != nullptr) *errorStatus = status;
  return result;
}

const KX_MIB_REG_T* FaultyMib::GetReg(const uint32_t* ids, uint32_t count) {
  return inner_.GetReg(ids, count);
}

}  // namespace kxrt
