// "mib get | next | walk | set": direct access to the MIB that the configurators work on, so a
// user can see what a command line did to the tables.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host_commands.h"

namespace kxagent {
namespace {

using Words = std::vector<std::string>;

const char* const kErrorStatusNames[] = {"noError",
                                         "tooBig",
                                         "noSuchName",
                                         "badValue",
                                         "readOnly",
                                         "genErr",
                                         "noAccess",
                                         "wrongType",
                                         "wrongLength",
                                         "wrongEncoding",
                                         "wrongValue",
                                         "noCreation",
                                         "inconsistentValue",
                                         "resourceUnavailable",
                                         "commitFailed",
                                         "undoFailed",
                                         "authorizationError",
                                         "notWritable",
                                         "inconsistentName"};

// A binding that frees itself.
class Binding {
 public:
  Binding() { KXVarBindInit(&vb_); }
  ~Binding() { KXVarBindFree(&vb_); }
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;
  KX_VARBIND_T* get() { return &vb_; }
  KX_VARBIND_T& operator*() { return vb_; }

 private:
  KX_VARBIND_T vb_;
};

// Grows the buffer until the whole text fits, as snprintf-like functions ask.
template <typename Printer>
std::string PrintAll(Printer print) {
  std::vector<char> buffer(256);
  int needed = print(buffer.data(), buffer.size());
  if (needed < 0) return "";
  if (static_cast<size_t>(needed) >= buffer.size()) {
    buffer.resize(static_cast<size_t>(needed) + 1);
    print(buffer.data(), buffer.size());
  }
  return std::string(buffer.data());
}

std::string OidText(const KX_OBJID_T& oid) {
  return PrintAll([&](char* buf, size_t size) { return KXObjidToStr(&oid, buf, size); });
}

const char* TypeLabel(int32_t type) {
  switch (type) {
    case KX_ASN_INTEGER:
      return "INTEGER";
    case KX_ASN_OCTET_STRING:
      return "STRING";
    case KX_ASN_OBJECT_ID:
      return "OID";
    case KX_ASN_IPADDRESS:
      return "IpAddress";
    case KX_ASN_COUNTER:
      return "Counter32";
    case KX_ASN_UNSIGNED:
      return "Unsigned32";
    case KX_ASN_TIMETICKS:
      return "Timeticks";
    case KX_ASN_NULL:
      return "NULL";
  }
  return nullptr;  // the exceptions, whose display text says it all
}

// Parses the OID word into the binding's name; logs and returns false when it is not one.
bool SetName(const std::string& text, KX_VARBIND_T* vb) {
  if (KXObjidSetStr(&vb->name, text.c_str()) == 0) {
    LogError("Invalid object identifier '" + text + "'.");
    return false;
  }
  return true;
}

bool Get(FILE* out, const Words& words) {
  if (words.size() != 1) {
    LogError("Usage: mib get <oid>");
    return false;
  }
  Binding vb;
  if (!SetName(words[0], vb.get())) return false;
  // A name under no registered object reads as NULL; it is shown as such an instance's answer.
  if (KXMibGet(vb.get()) == 0) KXVarBindSetType(vb.get(), KX_ASN_NO_SUCH_OBJECT);
  std::string line = FormatBinding(*vb) + "\n";
  fwrite(line.data(), 1, line.size(), out);
  fflush(out);
  return true;
}

// Prints every instance after start (under prefix when limit is true) or only the first.
bool Next(FILE* out, const std::string& start, bool walk) {
  Binding vb;
  if (!start.empty() && !SetName(start, vb.get())) return false;
  std::vector<uint32_t> prefix(vb.get()->name.ids, vb.get()->name.ids + vb.get()->name.count);
  std::string text;
  while (true) {
    std::vector<uint32_t> before(vb.get()->name.ids, vb.get()->name.ids + vb.get()->name.count);
    if (KXMibGetNext(vb.get()) == 0) {
      LogError("The MIB could not read past " + (start.empty() ? "the start" : start) + ".");
      return false;
    }
    const KX_OBJID_T& name = vb.get()->name;
    if (vb.get()->value.type == KX_ASN_END_OF_MIB_VIEW) {
      if (!walk) text += FormatBinding(*vb) + "\n";
      break;
    }
    if (walk && KXObjidCompareN(prefix.data(), static_cast<uint32_t>(prefix.size()), name.ids,
                                name.count) != 0) {
      break;
    }
    if (walk && name.count < prefix.size()) break;
    // A MIB that does not move forward would make the walk endless.
    std::vector<uint32_t> after(name.ids, name.ids + name.count);
    if (after <= before) {
      LogError("The MIB did not advance after " + OidText(vb.get()->name) + "; the walk stops.");
      return false;
    }
    text += FormatBinding(*vb) + "\n";
    if (!walk) break;
  }
  fwrite(text.data(), 1, text.size(), out);
  fflush(out);
  return true;
}

bool Set(FILE* out, const Words& words) {
  if (words.size() != 3 || words[1].size() != 1 ||
      std::strchr("iutsxdoa", words[1][0]) == nullptr) {
    LogError("Usage: mib set <oid> <i|u|t|s|x|d|o|a> <value>");
    return false;
  }
  Binding vb;
  if (!SetName(words[0], vb.get())) return false;
  if (KXAsnValueScan(words[1][0], words[2].c_str(), &vb.get()->value) == 0) {
    LogError("Invalid value '" + words[2] + "' for type letter '" + words[1] + "'.");
    return false;
  }
  int status = 0;
  if (KXMibSet(vb.get(), &status) != 1) {
    LogError("Cannot set " + words[0] + ": the MIB could not process the request.");
    return false;
  }
  if (status != KX_SNMP_NO_ERROR) {
    LogError("Cannot set " + words[0] + ": " + ErrorStatusName(status) + ".");
    return false;
  }
  // Show what the instance holds now: a status request, for one, reads back as the state.
  Binding now;
  KXObjidCopy(&now.get()->name, &vb.get()->name);
  if (KXMibGet(now.get()) == 0) KXVarBindSetType(now.get(), KX_ASN_NO_SUCH_INSTANCE);
  std::string line = FormatBinding(*now) + "\n";
  fwrite(line.data(), 1, line.size(), out);
  fflush(out);
  return true;
}

}  // namespace

std::string ErrorStatusName(int status) {
  const int count = static_cast<int>(sizeof kErrorStatusNames / sizeof kErrorStatusNames[0]);
  std::string name = status >= 0 && status < count ? kErrorStatusNames[status] : "unknownError";
  return name + "(" + std::to_string(status) + ")";
}

std::string FormatBinding(const KX_VARBIND_T& binding) {
  std::string value =
      PrintAll([&](char* buf, size_t size) { return KXAsnValueSprint(&binding.value, buf, size); });
  const char* label = TypeLabel(binding.value.type);
  std::string name = binding.name.count == 0 ? "." : OidText(binding.name);
  if (label == nullptr) return name + " = " + value;
  if (binding.value.type == KX_ASN_NULL) return name + " = NULL";
  return name + " = " + label + ": " + value;
}

void AddMibCommands(kxrt::Console& console, FILE* out) {
  console.AddBuiltin("mib get", "mib", "mib get <oid>", "Shows one instance.",
                     [out](const Words& words) { return Get(out, words); });
  console.AddBuiltin("mib next", "mib", "mib next <oid>", "Shows the instance that follows <oid>.",
                     [out](const Words& words) {
                       if (words.size() != 1) {
                         LogError("Usage: mib next <oid>");
                         return false;
                       }
                       return Next(out, words[0], false);
                     });
  console.AddBuiltin("mib walk", "mib", "mib walk [<oid>]",
                     "Shows every instance under <oid> (the whole MIB without one).",
                     [out](const Words& words) {
                       if (words.size() > 1) {
                         LogError("Usage: mib walk [<oid>]");
                         return false;
                       }
                       return Next(out, words.empty() ? "" : words[0], true);
                     });
  console.AddBuiltin("mib set", "mib", "mib set <oid> <i|u|t|s|x|d|o|a> <value>",
                     "Sets one instance; the letter says how to read the value.",
                     [out](const Words& words) { return Set(out, words); });
}

}  // namespace kxagent
