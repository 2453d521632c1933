// IConfigurator's factory, the process-wide registry of registered configurators, and the two
// operations that act on all of them.

#include <set>
#include <string>

#include "configurator/internal.h"

namespace korvax {

namespace {

// Registered configurators in ascending address order; null while none is registered.
std::set<IConfigurator*>* s_registry = nullptr;

}  // namespace

void RegistryInsert(IConfigurator* configurator) {
  if (s_registry == nullptr) s_registry = new std::set<IConfigurator*>;
  s_registry->insert(configurator);
}

IConfigurator::~IConfigurator() {
  if (s_registry == nullptr) return;
  s_registry->erase(this);
  if (s_registry->empty()) {
    delete s_registry;
    s_registry = nullptr;
  }
}

IConfigurator* IConfigurator::Create(const char* name, const char* descr, const char* oid) {
  return new CConfigurator(name, descr, oid);
}

IConfigurator* IConfigurator::Create(const char* name, const char* descr, const char* oid,
                                     int column) {
  return new CConfigurator(name, descr, oid, column);
}

IConfigurator* IConfigurator::Create(const char* name, const char* descr, const char* oid,
                                     IConfigurator& parent) {
  return new CConfigurator(name, descr, oid, parent);
}

IConfigurator* IConfigurator::Create(const char* name, const char* descr, const char* oid,
                                     EStatusType type, int statusColumn, int ownerColumn) {
  return new CConfigurator(name, descr, oid, type, statusColumn, ownerColumn);
}

void IConfigurator::ApplyConfig(const char* file) {
  std::string line = "config execute ";
  if (file[0] == '"') {
    // Already quoted by the caller: passed on as it stands.
    line += file;
  } else {
    // The console reads backslashes and quotes inside a quoted word as escapes, so a name that
    // holds them is escaped to reach the console as the same name.
    line += '"';
    for (const char* p = file; *p != '\0'; ++p) {
      if (*p == '"' || *p == '\\') line += '\\';
      line += *p;
    }
    line += '"';
  }
  KXConsoleExecute(line.c_str());
}

void IConfigurator::ClearConfig(const char* owner) {
  // A removal may run console lines that create or destroy configurators, so the position is
  // found again from the last visited address after every call instead of holding an iterator.
  IConfigurator* last = nullptr;
  while (s_registry != nullptr) {
    auto next = last == nullptr ? s_registry->begin() : s_registry->upper_bound(last);
    if (next == s_registry->end()) break;
    last = *next;
    last->ClearEntries(owner);
  }
}

}  // namespace korvax
