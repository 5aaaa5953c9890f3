#include "AboutBox.h"

#include "BuildStamp.h"
#include "ResourceIds.h"

CAboutBox::CAboutBox() : CDialog(kIddAboutBox) {}

void CAboutBox::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
}

bool CAboutBox::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemTextA(kIdcBuildStamp, kBuildStamp.data());
  return true;
}
