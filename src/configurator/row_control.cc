// Operations on one row of the table in the MIB: free-index search, creation, owner, column
// writes, activation, removal, and reading a row's activity and owner.

#include "configurator/internal.h"

namespace korvax {

bool CConfigurator::SetStatus(ECommand cmd) {
  InstanceBinding vb(*this, m_statusColumn);
  const bool creating = cmd == eCmdCreateAndWait || cmd == eCmdCreate;
  if (m_statusType == eStringStatus) {
    if (creating || cmd == eCmdRemove) {
      KXVarBindSetType(vb.get(), KX_ASN_OCTET_STRING);
      KXOctetStringSet(&vb->value.octets, creating ? "New" : "");
    }
  } else {
    const bool entry = m_statusType == eEntryStatus;
    int value = 0;
    if (creating) value = entry ? 2 : 5;
    if (cmd == eCmdActivate) value = 1;
    if (cmd == eCmdRemove) value = entry ? 4 : 6;
    if (value != 0) {
      KXVarBindSetType(vb.get(), KX_ASN_INTEGER);
      vb->value.integer = value;
    }
  }
  if (vb->value.type == KX_ASN_NULL) return true;

  int status = 0;
  if (KXMibSet(vb.get(), &status) == 0) return false;
  if (status != 0) {
    ReportError("Error %s setting %s.%d.%d to %s", ErrorStatusName(status), m_name.c_str(),
                m_statusColumn, CurrentIndex(), DisplayValue(vb->value).c_str());
    return false;
  }
  return true;
}

bool CConfigurator::CreateControlRow() {
  SetWorkColumn(m_statusColumn);
  if (m_requestedIndex > 0) {
    // Only a readable status instance may be created; whether the row exists already is the
    // agent's to answer when the status is set.
    SetWorkIndex(m_requestedIndex);
    InstanceBinding vb(*this, m_statusColumn);
    if (KXMibGet(vb.get()) == 0) return false;
  }
  const int index = FindAvailableIdx();
  if (index == 0) return false;
  SetWorkIndex(index);
  const bool ok = SetStatus(eCmdCreateAndWait);
  if (m_ownerColumn <= 0) return ok;
  if (!ok) return false;
  return SetOwner();
}

int CConfigurator::FindAvailableIdx() {
  if (m_requestedIndex > 0) return m_requestedIndex;
  const uint32_t length = m_tableOid.count;
  KX_VARBIND_T cursor;
  KXVarBindInit(&cursor);
  KXObjidCopy(&cursor.name, &m_tableOid);
  KXObjidRealloc(&cursor.name, length + 2);
  cursor.name.ids[length] = static_cast<uint32_t>(m_statusColumn);
  cursor.name.ids[length + 1] = static_cast<uint32_t>(m_searchStart);
  const uint32_t probeLength = length + 2;

  uint32_t prev = static_cast<uint32_t>(m_searchStart);
  int result = 0;
  bool found = false;
  // Each get-next continues from the instance the previous one returned. A get-next that
  // cannot be processed ends the walk, as the end of the column does.
  while (KXMibGetNext(&cursor) != 0 && cursor.value.type != KX_ASN_END_OF_MIB_VIEW &&
         cursor.name.count >= probeLength &&
         KXObjidCompareN(cursor.name.ids, length + 1, m_tableOid.ids, length) == 0 &&
         cursor.name.ids[length] == static_cast<uint32_t>(m_statusColumn)) {
    const uint32_t cur = cursor.name.ids[cursor.name.count - 1];
    // The column's instances come in ascending order; an answer that does not move on means
    // the MIB is stuck, and the search ends as at the end of the column.
    if (cur <= prev) break;
    if (static_cast<int32_t>(cur - prev - 1) > 0) {
      result = static_cast<int>(prev + 1 == 0 ? cur + 1 : prev + 1);
      found = true;
      break;
    }
    prev = cur;
  }
  KXVarBindFree(&cursor);
  return found ? result : static_cast<int>(prev + 1);
}

bool CConfigurator::ActivateControlRow() {
  const std::string owner = m_owner;
  const bool ownerGiven = m_ownerGiven;
  const int requestedIndex = m_requestedIndex;
  const bool persistent = m_persistent;
  const int searchStart = m_searchStart;
  const int row = CurrentIndex();

  // A command of this configurator that runs while the activation set is in progress must not
  // take this command's owner, index or persistence, nor the index just created.
  m_owner.clear();
  m_ownerGiven = false;
  m_requestedIndex = 0;
  m_persistent = false;
  m_searchStart = (row + 1000) & 0xFFFF;

  const bool ok = SetStatus(eCmdActivate);

  m_owner = owner;
  m_ownerGiven = ownerGiven;
  m_requestedIndex = requestedIndex;
  m_persistent = persistent;
  m_searchStart = searchStart;
  // A nested command moves the shared work identifier to its own row; this command goes on
  // with the row it activated.
  SetWorkIndex(row);
  return ok;
}

bool CConfigurator::SetOwner() {
  InstanceBinding vb(*this, m_ownerColumn);
  KXVarBindSetType(vb.get(), KX_ASN_OCTET_STRING);
  std::string owner;
  if (!m_owner.empty() || m_ownerGiven) {
    // An owner typed on the line is taken as typed, the empty text included: a saved row whose
    // owner is empty comes back with an empty owner rather than as a temporary row.
    owner = m_owner;
  } else {
    if (!m_persistent) {
      KXConsolePushOwner("~");
      ++m_ownerPushes;
      m_ownerPushed = true;
    }
    owner = KXConsoleGetOwner();
  }
  KXOctetStringSetN(&vb->value.octets, owner.data(), owner.size());

  int status = 0;
  if (KXMibSet(vb.get(), &status) != 1) return false;
  if (status != 0) {
    ReportError("Error %s setting %s.%d.%d to %s", ErrorStatusName(status), m_name.c_str(),
                m_ownerColumn, CurrentIndex(), DisplayValue(vb->value).c_str());
    return false;
  }
  return true;
}

bool CConfigurator::SetColumn(KX_VARBIND_T& binding, SColumn& column) {
  if (!column.isSet) return true;
  SetWorkColumn(column.column);
  GetWorkId(binding.name);
  int status = 0;
  const int r = KXMibSet(&binding, &status);
  bool ok = true;
  if (r != 1) {
    ReportError("Unexpected error in KXMibSet");
    ok = false;
  } else if (status != 0) {
    ReportError("Error %s setting %s.%s.%d to %s", ErrorStatusName(status), m_name.c_str(),
                column.name.c_str(), CurrentIndex(), DisplayValue(binding.value).c_str());
    ok = false;
  }
  if (m_tableKind == eIndexedTable) column.isSet = false;
  return ok;
}

bool CConfigurator::RowIsActive() {
  InstanceBinding vb(*this, m_statusColumn);
  if (KXMibGet(vb.get()) == 0 || IsExceptionTag(vb->value.type)) return false;
  if (m_statusType == eStringStatus) return true;
  return vb->value.type == KX_ASN_INTEGER && vb->value.integer == 1;
}

bool CConfigurator::GetOwner(std::string& owner) {
  InstanceBinding vb(*this, m_ownerColumn);
  if (KXMibGet(vb.get()) != 1) return false;
  if (vb->value.type != KX_ASN_OCTET_STRING) return false;
  const KX_OCTET_STRING_T& text = vb->value.octets;
  if (text.length == 0) {
    owner.clear();
  } else {
    owner.assign(reinterpret_cast<const char*>(text.data), text.length);
  }
  return true;
}

bool CConfigurator::RemoveEntry() {
  return SetStatus(eCmdRemove);
}

void CConfigurator::ResetValues() {
  for (auto& [name, column] : m_names) column->isSet = false;
}

}  // namespace korvax
