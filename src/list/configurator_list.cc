// CConfiguratorList: a group of configurators that stands wherever one is expected.

#include "korvax/configurator.h"

namespace korvax {

CConfiguratorList::~CConfiguratorList() = default;

void CConfiguratorList::Add(IConfigurator& configurator) {
  m_members.insert(&configurator);
}

void CConfiguratorList::Remove(IConfigurator& configurator) {
  m_members.erase(&configurator);
}

bool CConfiguratorList::Register() {
  return false;
}

bool CConfiguratorList::WritePrimitiveState(FILE* file) {
  for (IConfigurator* member : m_members) member->WritePrimitiveState(file);
  return true;
}

void CConfiguratorList::AddChild(IConfigurator&, int) {}
void CConfiguratorList::AddIntCol(int, const char*, const char*) {}
void CConfiguratorList::AddUnsCol(int, const char*, const char*) {}
void CConfiguratorList::AddStrCol(int, const char*, const char*) {}
void CConfiguratorList::AddAlias(const char*, const char*) {}
void CConfiguratorList::SetStrFmt(int, EStrFmt) {}
void CConfiguratorList::AddEnum(int, int, const char*) {}
void CConfiguratorList::SetColWrite(int, bool) {}

bool CConfiguratorList::SetupEntries() {
  for (IConfigurator* member : m_members) {
    if (!member->SetupEntries()) return false;
  }
  return true;
}

void CConfiguratorList::ClearEntries() {
  for (IConfigurator* member : m_members) member->ClearEntries();
}

void CConfiguratorList::ClearEntries(const char* owner) {
  for (IConfigurator* member : m_members) member->ClearEntries(owner);
}

// An empty list has no first member to ask: it holds no entries and no index.
int CConfiguratorList::NumEntries() const {
  return m_members.empty() ? 0 : (*m_members.begin())->NumEntries();
}

int CConfiguratorList::IndexLength() const {
  return m_members.empty() ? 0 : (*m_members.begin())->IndexLength();
}

void CConfiguratorList::SetIndexPrefix(unsigned* prefix, int n) {
  for (IConfigurator* member : m_members) member->SetIndexPrefix(prefix, n);
}

int CConfiguratorList::OnParentStore(int parentIndex) {
  for (IConfigurator* member : m_members) member->OnParentStore(parentIndex);
  return 0;
}

}  // namespace korvax
