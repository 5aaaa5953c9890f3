#include "app/AboutBox.h"

#include "app/BuildStamp.h"
#include "app/ResourceIds.h"

namespace dalvren {

CAboutBox::CAboutBox() : CDialog(kIddAboutBox) {}

void CAboutBox::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
}

bool CAboutBox::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemTextA(kIdcBuildStamp, kBuildStamp.data());
  return true;
}

}  // namespace dalvren
