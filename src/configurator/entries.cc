// The entry store of child tables, applying values to the MIB, the row filter, removal by
// owner, and the child-size column.

#include "configurator/internal.h"

namespace korvax {

namespace {

constexpr char kTemporaryOwnerMark[] = "!qvz!temporary";

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

int CConfigurator::Store() {
  SEntry entry;
  KXVarBindListInit(&entry.values);
  KXVarBindListRealloc(&entry.values, static_cast<uint32_t>(m_columns.size()));
  uint32_t i = 0;
  for (auto& [number, column] : m_columns) {
    if (i >= entry.values.count) break;  // the list could not be made as long as asked
    KXVarBindCopy(&entry.values.items[i++], &column.value);
  }
  entry.parentIndex = 0;
  if (m_requestedIndex != 0) {
    entry.index = m_requestedIndex;
  } else {
    int unclaimed = 0;
    for (const SEntry& stored : m_entries) {
      if (stored.parentIndex == 0) ++unclaimed;
    }
    entry.index = 1 + unclaimed;
  }
  entry.childCount = m_child != nullptr ? m_child->OnParentStore(entry.index) : 0;
  m_entries.push_back(entry);
  return entry.index;
}

int CConfigurator::OnParentStore(int parentIndex) {
  int claimed = 0;
  for (SEntry& entry : m_entries) {
    if (entry.parentIndex != 0) continue;
    entry.parentIndex = parentIndex;
    ++claimed;
  }
  return claimed;
}

bool CConfigurator::SetupEntries() {
  bool ok = true;
  if (m_tableKind == eChildTable) {
    for (SEntry& entry : m_entries) {
      SetWorkIndex(entry.index);
      if (entry.parentIndex != 0) SetParentWorkIndex(entry.parentIndex);
      auto column = m_columns.begin();
      for (uint32_t i = 0; i < entry.values.count && column != m_columns.end(); ++i, ++column) {
        if (!ok) break;
        ok = SetColumn(entry.values.items[i], column->second);
      }
      if (m_childSizeColumn != 0) SetChildSize(entry.childCount);
    }
  } else {
    if (m_tableKind == eIndexedTable) SetWorkIndex(FindAvailableIdx());
    for (auto& [number, column] : m_columns) {
      if (!ok) break;
      ok = SetColumn(column.value, column);
    }
    if (m_childSizeColumn != 0) SetChildSize(-1);
  }
  if (m_child != nullptr) {
    m_child->SetIndexPrefix(&m_workOid.ids[m_tableOid.count + 1], m_indexLength);
    if (ok) ok = m_child->SetupEntries();
    m_child->ClearEntries();
  }
  return ok;
}

void CConfigurator::ClearEntries() {
  for (SEntry& entry : m_entries) KXVarBindListFree(&entry.values);
  m_entries.clear();
}

void CConfigurator::ClearEntries(const char* owner) {
  if (m_ownerColumn == 0 || m_statusColumn == 0) return;
  const std::string prefix = owner != nullptr ? owner : "";
  WalkRows(m_ownerColumn, [&] {
    std::string text;
    GetOwner(text);
    if (StartsWith(text, prefix.c_str())) RemoveEntry();
  });
}

bool CConfigurator::FilterEntry() {
  if (m_ownerColumn == 0) return true;
  std::string text;
  GetOwner(text);
  if (!text.empty() && text.back() == '~') return false;
  if (StartsWith(text, kTemporaryOwnerMark)) return false;
  return true;
}

bool CConfigurator::SetChildSize(int count) {
  InstanceBinding vb(*this, m_childSizeColumn);
  KXVarBindSetType(vb.get(), KX_ASN_INTEGER);
  if (count < 0) count = m_child != nullptr ? m_child->NumEntries() : 0;
  vb->value.integer = count;
  int status = 0;
  return KXMibSet(vb.get(), &status) == 1 && status == 0;
}

bool CConfigurator::GetChildSize(int& count) {
  InstanceBinding vb(*this, m_childSizeColumn);
  const int r = KXMibGet(vb.get());
  count = vb->value.integer;
  // An instance that reads as "no such instance" holds no count either.
  return r != 0 && vb->value.type == KX_ASN_INTEGER;
}

}  // namespace korvax
