// The About box: the product, its version as the program file records it,
// the system-information tool and the product page.
#pragma once

#include <string>

#include "forms/forms.h"
#include "base/handles.h"

class FrmAbout : public forms::Form {
 public:
  FrmAbout();
  forms::Label lblProduct, lblVersion, lblRights, lblRights2;
  forms::PictureBox imgProduct;
  forms::Button cmdSysInfo, cmdWebsite, cmdOK, cmdHelp, cmdTell, cmdUpdate;

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  void Form_Load() override;
  void OnDpiChanged() override { UseFonts(); }

 private:
  void cmdSysInfo_Click();
  void cmdWebsite_Click();
  void cmdOK_Click();
  void PaintProduct(HDC dc, const RECT& rc);
  void UseFonts();
  base::GdiObject titleFont_, versionFont_, bodyFont_;
};
// "Version 1.1.256": the first three parts of the program file's version.
std::string ProgramVersionText();

// The product page, shipped beside the program.
std::string ProductPageAddress();
