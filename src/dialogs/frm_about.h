// The About box: the product, its version as the program file records it,
// the system-information tool and the product page.
#pragma once

#include <string>

#include "forms/forms.h"
#include "base/handles.h"

struct AppState;

class FrmAbout : public forms::Form {
 public:
  // state: the program folder (the product page) and the registry.
  explicit FrmAbout(AppState& state);
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
  AppState& state_;
  base::GdiObject titleFont_, versionFont_, bodyFont_;
};
// "Version 1.1.256": the first three parts of the program file's version.
std::string ProgramVersionText();

// The product page, shipped beside the program in appFolder ("" when not
// known yet: the folder this program file is in).
std::string ProductPageAddress(const std::string& appFolder);
