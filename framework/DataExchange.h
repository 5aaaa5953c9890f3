// Moving a window's member values to and from its controls.
#pragma once

namespace dalvren {

class CWnd;

class CDataExchange {
 public:
  CDataExchange(CWnd* dlgWnd, bool saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd) {}

  // True: controls to members; false: members to controls.
  bool m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// Exchanges `value` (0 or 1) with the checked state of check box `id`.
void DDX_Check(CDataExchange* pDX, int id, int& value);

}  // namespace dalvren
