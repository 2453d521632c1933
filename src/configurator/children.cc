// Attaching child tables: one child directly, two or more through a list.

#include "configurator/internal.h"

namespace korvax {

void CConfigurator::AddChild(IConfigurator& child, int sizeColumn) {
  if (m_child == nullptr) {
    m_child = &child;
  } else {
    if (m_childList == nullptr) {
      m_childList = new CConfiguratorList;
      m_childList->Add(*m_child);
    }
    m_childList->Add(child);
    m_child = m_childList;
  }
  m_childSizeColumn = sizeColumn;
}

}  // namespace korvax
