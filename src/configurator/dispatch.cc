// Running the verb of a command line against the table.

#include <cstdio>
#include <cstring>

#include "configurator/internal.h"

namespace korvax {

const uint32_t s_allowedCommands[4] = {
    0x7c,  // eStatusTable: createAndWait, create, activate, reset, createpersistent
    0x22,  // eChildTable: store, reset
    0x01,  // eScalarGroup: values without a verb
    0x21,  // eIndexedTable: values without a verb, reset
};

namespace {

struct CommandKeyword {
  const char* word;
  ECommand value;
};

// Searched in this order; the first exact, case-sensitive match wins.
const CommandKeyword s_commandKeywords[] = {
    {"create", eCmdCreate},      {"store", eCmdStore},
    {"reset", eCmdReset},        {"createpersistent", eCmdCreatePersistent},
    {"createAndGo", eCmdCreate}, {"createAndWait", eCmdCreateAndWait},
    {"activate", eCmdActivate},
};

int LookupVerb(const char* verb) {
  for (const CommandKeyword& keyword : s_commandKeywords) {
    if (strcmp(keyword.word, verb) == 0) return keyword.value;
  }
  return 0;
}

}  // namespace

void CConfigurator::PublishResult(int value) {
  char text[16];
  snprintf(text, sizeof(text), "%d", value);
  KXConsoleSetValue("?", text);
}

bool CConfigurator::OnCommand(const char* verb) {
  bool ok = false;
  if (verb == nullptr) {
    if (m_tableKind != eScalarGroup && m_tableKind != eIndexedTable) {
      // Status and child tables only record the values for a later verb.
      PublishResult(0);
      return true;
    }
    ok = SetupEntries();
    if (!ok) ReportError("Cannot setup entry");
    PublishResult(ok ? CurrentIndex() : 0);
    return true;
  }

  const int command = LookupVerb(verb);
  if (command == 0) {
    ReportError("Unknown command \"%s\".", verb);
    PublishResult(0);
    return true;
  }
  if ((command & s_allowedCommands[m_tableKind]) == 0) {
    ReportError("The \"%s\" command cannot be used with \"%s\".", verb, m_name.c_str());
    PublishResult(0);
    return true;
  }

  switch (command) {
    case eCmdStore: {
      const int index = Store();
      PublishResult(index);
      m_requestedIndex = 0;
      return true;
    }
    case eCmdCreateAndWait:
      if (!CreateControlRow()) {
        ReportError("Cannot create entry");
      } else if (!SetupEntries()) {
        ReportError("Cannot setup entry");
        if (m_removeOnFail) RemoveEntry();
      } else {
        ok = true;
      }
      break;
    case eCmdCreatePersistent:
    case eCmdCreate:
      m_persistent = command == eCmdCreatePersistent;
      if (!CreateControlRow()) {
        ReportError("Cannot create entry");
      } else if (!SetupEntries()) {
        ReportError("Cannot setup entry");
        if (m_removeOnFail) RemoveEntry();
      } else if (!ActivateControlRow()) {
        ReportError("Cannot activate entry");
        if (m_removeOnFail) RemoveEntry();
      } else {
        ok = true;
      }
      m_requestedIndex = 0;
      m_persistent = false;
      break;
    case eCmdActivate:
      ok = ActivateControlRow();
      if (!ok) ReportError("Cannot activate entry");
      m_requestedIndex = 0;
      break;
    case eCmdReset:
      ResetValues();
      ClearEntries();
      m_owner.clear();
      m_ownerGiven = false;
      m_requestedIndex = 0;
      break;
  }
  PublishResult(ok ? CurrentIndex() : 0);
  return true;
}

}  // namespace korvax
