#include "framework/DataExchange.h"

#include "framework/StandardIds.h"
#include "framework/Wnd.h"

namespace dalvren {

void DDX_Check(CDataExchange* pDX, int id, int& value) {
  if (pDX->m_bSaveAndValidate) {
    value = pDX->m_pDlgWnd->IsDlgButtonChecked(id) == BST_CHECKED ? 1 : 0;
  } else {
    pDX->m_pDlgWnd->CheckDlgButton(id,
                                   value != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
}

}  // namespace dalvren
