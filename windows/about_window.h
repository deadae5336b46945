// frmAbout: version and the machine owner's name, painted from its own sheet.
#pragma once

#include "platform/convert.h"
#include "platform/toolkit.h"

namespace windows {

class FrmAbout {
 public:
  FrmAbout();
  plat::Form& form() { return form_; }

  void Form_Load();
  void PaintAboutSkin();
  void picTitlebar_MouseDown();
  void picTitlebar_MouseMove();
  void picMain_MouseMove();
  void picX_MouseMove(int button);
  void picX_MouseDown();
  void picX_Click();
  void picClose_MouseMove(int button);
  void picClose_MouseDown();
  void picClose_Click();
  void timActive_Timer();

  plat::Bool16 IsActive = plat::kFalse;

 private:
  plat::Form form_;
};

}  // namespace windows
