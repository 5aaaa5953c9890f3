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

void CDalvrenView::OnRomToDump() { Convert(ConvertDirection::kRomToDump); }

void CDalvrenView::OnDumpToRom() { Convert(ConvertDirection::kDumpToRom); }

void CDalvrenView::Convert(ConvertDirection direction) {
  const bool romToDump = direction == ConvertDirection::kRomToDump;
  const int from = romToDump ? kIdcRom : kIdcDump;
  const int to = romToDump ? kIdcDump : kIdcRom;
  CConvertOptions options;
  options.sourceHex = (romToDump ? m_bRomHex : m_bDumpHex) != 0;
  options.targetHex = (romToDump ? m_bDumpHex : m_bRomHex) != 0;
  const CDalvrenDoc* document = GetDocument();
  CStatus status;
  {
    const CWaitCursor busy;
    std::string text;
    status =
        ConvertText(document != nullptr ? document->m_pTable.get() : nullptr,
                    direction, GetDlgItemTextA(from), options, &text);
    if (status.IsOk()) SetDlgItemTextA(to, text);
  }
  // The one place a conversion's failure reaches the user.
  if (!status.IsOk()) {
    AfxMessageBox(QString::fromStdString(status.Message()), MB_ICONHAND);
  }
}

}  // namespace dalvren
