#include "app/DalvrenView.h"

#include "app/Conversion.h"
#include "app/DalvrenDoc.h"
#include "app/ResourceIds.h"
#include "framework/Afx.h"
#include "framework/CommandMap.h"
#include "framework/DataExchange.h"
#include "framework/FrameWnd.h"
#include "framework/WaitCursor.h"

namespace dalvren {

const CRuntimeClass<CView> CDalvrenView::kRuntimeClass =
    MakeRuntimeClass<CDalvrenView, CView>("CDalvrenView");

CDalvrenView::CDalvrenView() : CFormView(kIddForm) {}

bool CDalvrenView::PreCreateWindow(CREATESTRUCT& cs) {
  return CView::PreCreateWindow(cs);
}

void CDalvrenView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  GetParentFrame()->RecalcLayout();
  ResizeParentToFit();
}

CDalvrenDoc* CDalvrenView::GetDocument() const {
  return static_cast<CDalvrenDoc*>(CView::GetDocument());
}

void CDalvrenView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
  DDX_Check(pDX, kIdcDumpHex, m_bDumpHex);
  DDX_Check(pDX, kIdcRomHex, m_bRomHex);
}

bool CDalvrenView::OnCommand(unsigned id) {
  static constexpr CCommandEntry<CDalvrenView> kMessageMap[] = {
      {kIdcRomHex, &CDalvrenView::OnRomHex},
      {kIdcDumpHex, &CDalvrenView::OnDumpHex},
      {kIdcRomToDump, &CDalvrenView::OnRomToDump},
      {kIdcDumpToRom, &CDalvrenView::OnDumpToRom},
  };
  return DispatchCommand(*this, kMessageMap, id);
}

void CDalvrenView::OnRomHex() {
  m_bRomHex = IsDlgButtonChecked(kIdcRomHex) == BST_CHECKED ? 1 : 0;
}

void CDalvrenView::OnDumpHex() {
  m_bDumpHex = IsDlgButtonChecked(kIdcDumpHex) == BST_CHECKED ? 1 : 0;
}

void CDalvrenView::OnRomToDump() {
  Convert(ConvertDirection::kRomToDump, kIdcRom, kIdcDump, m_bRomHex,
          m_bDumpHex);
}

void CDalvrenView::OnDumpToRom() {
  Convert(ConvertDirection::kDumpToRom, kIdcDump, kIdcRom, m_bDumpHex,
          m_bRomHex);
}

void CDalvrenView::Convert(ConvertDirection direction, int from, int to,
                           int fromHex, int toHex) {
  const CDalvrenDoc* document = GetDocument();
  CConvertedText result;
  {
    const CWaitCursor busy;
    result =
        ConvertText(document != nullptr ? document->m_pTable.get() : nullptr,
                    direction, GetDlgItemTextA(from), fromHex != 0, toHex != 0);
    if (result.refusal.empty()) SetDlgItemTextA(to, result.text);
  }
  if (!result.refusal.empty()) {
    AfxMessageBox(QString::fromStdString(result.refusal), MB_ICONHAND);
  }
}

}  // namespace dalvren
