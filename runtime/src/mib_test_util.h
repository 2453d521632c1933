// Test helpers for the MIB: a self-releasing binding and short set/read calls that turn the
// MIB's answers into values that read well in expectations.

#ifndef KXRT_MIB_TEST_UTIL_H_
#define KXRT_MIB_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <string>

#include "kx_host.h"
#include "kxrt/mib.h"

namespace kxrt {
namespace testing {

class Binding {
 public:
  Binding() { KXVarBindInit(&vb_); }
  explicit Binding(const std::string& name) : Binding() { SetName(name); }
  Binding(const std::string& name, char letter, const std::string& text) : Binding(name) {
    SetValue(letter, text);
  }
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;
  ~Binding() { KXVarBindFree(&vb_); }

  void SetName(const std::string& text) {
    EXPECT_EQ(KXObjidSetStr(&vb_.name, text.c_str()), 1) << text;
  }
  void SetValue(char letter, const std::string& text) {
    EXPECT_NE(KXAsnValueScan(letter, text.c_str(), &vb_.value), 0) << letter << " " << text;
  }
  KX_VARBIND_T* get() { return &vb_; }
  const KX_VARBIND_T& operator*() const { return vb_; }

  std::string name() const {
    char buf[512];
    KXObjidToStr(&vb_.name, buf, sizeof buf);
    return buf;
  }
  int32_t type() const { return vb_.value.type; }
  // The value as text: integers in decimal, octets as their bytes.
  std::string value() const {
    if (vb_.value.type == KX_ASN_OCTET_STRING || vb_.value.type == KX_ASN_IPADDRESS) {
      return std::string(reinterpret_cast<const char*>(vb_.value.octets.data),
                         vb_.value.octets.length);
    }
    return std::to_string(vb_.value.integer);
  }

 private:
  KX_VARBIND_T vb_;
};

// The error status of a set of `text` scanned with `letter`, or -1 when Set returned other than 1.
inline int SetStatus(Mib& mib, const std::string& name, char letter, const std::string& text) {
  Binding vb(name, letter, text);
  int status = 0;
  int result = mib.Set(vb.get(), &status);
  return result == 1 ? status : -1;
}

// What a get of name shows: "fail" (result 0), "absent" (no such instance) or the value text.
inline std::string Read(Mib& mib, const std::string& name) {
  Binding vb(name);
  if (mib.Get(vb.get()) == 0) {
    EXPECT_EQ(vb.type(), KX_ASN_NULL) << "a failed get leaves the value NULL";
    return "fail";
  }
  if (vb.type() == KX_ASN_NO_SUCH_INSTANCE) return "absent";
  return vb.value();
}

}  // namespace testing
}  // namespace kxrt

#endif  // KXRT_MIB_TEST_UTIL_H_
