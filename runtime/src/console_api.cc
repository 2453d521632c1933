// The console's C interface: thin forwards to the process's Console. Null texts are taken as
// empty where that is harmless and refused where a name is needed.

#include "kx_host.h"
#include "kxrt/console.h"

int KXConsoleRegisterv(KX_CONSOLE_CMD_T* cmd) {
  return kxrt::Console::Instance().Register(cmd) ? 1 : 0;
}

int KXConsoleDeregisterv(KX_CONSOLE_CMD_T* cmd) {
  return kxrt::Console::Instance().Deregister(cmd) ? 1 : 0;
}

int KXConsoleExecute(const char* line) {
  if (line == nullptr) return 0;
  return kxrt::Console::Instance().Execute(line) ? 1 : 0;
}

int KXConsoleSetValue(const char* name, const char* value) {
  if (name == nullptr) return 0;
  kxrt::Console::Instance().SetValue(name, value != nullptr ? value : "");
  return 1;
}

const char* KXConsoleGetOwner(void) {
  return kxrt::Console::Instance().Owner().c_str();
}

void KXConsolePushOwner(const char* owner) {
  kxrt::Console::Instance().PushOwner(owner != nullptr ? owner : "");
}

void KXConsolePopOwner(void) {
  kxrt::Console::Instance().PopOwner();
}
