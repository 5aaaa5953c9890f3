#include "app/AboutBox.h"

#include "app/BuildStamp.h"
#include "app/ResourceIds.h"
#include "framework/Resource.h"

namespace dalvren {

CAboutBox::CAboutBox() : CDialog(kIddAboutBox) {}

void CAboutBox::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
}

bool CAboutBox::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemTextA(kIdcBuildStamp, kBuildStamp.data());
  // The version --version prints, from the one version record.
  SetDlgItemTextA(
      kIdcVersion,
      (QStringLiteral("Dalvren Version ") + LoadVersionText()).toStdString());
  return true;
}

}  // namespace dalvren
