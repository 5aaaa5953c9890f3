// The converter form: the ROM field, the Dump field, their "Hex" boxes and
// the two conversion buttons.
#pragma once

#include "app/Conversion.h"
#include "framework/FormView.h"
#include "framework/RuntimeClass.h"

namespace dalvren {

class CDalvrenDoc;

class CDalvrenView : public CFormView {
 public:
  static const CRuntimeClass<CView> kRuntimeClass;

  CDalvrenView();

  bool PreCreateWindow(CREATESTRUCT& cs) override;
  // Shows the options in their boxes and fits the frame to the form.
  void OnInitialUpdate() override;

  [[nodiscard]] CDalvrenDoc* GetDocument() const;

  // 1 when the Dump field holds hexadecimal digits.
  int m_bDumpHex = 0;
  // 1 when the ROM field holds hexadecimal digits.
  int m_bRomHex = 1;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(unsigned id) override;

 private:
  void OnRomHex();
  void OnDumpHex();
  void OnRomToDump();
  void OnDumpToRom();

  // Converts the text of the source field of `direction` into its target
  // field, each in the mode its Hex box gives, or shows why not.
  void Convert(ConvertDirection direction);
};

}  // namespace dalvren
