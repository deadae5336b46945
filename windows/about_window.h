// frmAbout: version and the machine owner's name, painted from its own sheet.
#pragma once

#include "platform/convert.h"
#include "platform/toolkit.h"
#include "skin/skins.h"

namespace windows {

class FrmAbout {
 public:
  FrmAbout();
  FrmAbout(const FrmAbout&) = delete;
  FrmAbout& operator=(const FrmAbout&) = delete;

  plat::Form& form() { return form_; }
  plat::Bool16 IsActive() const { return title_bar_.IsActive(); }

  void Form_Load();
  void PaintAboutSkin();
  void picMain_MouseMove();
  void picX_Click();
  void picClose_Click();

 private:
  plat::Form form_;
  // The controls, bound once: a name the layout lacks fails here with error 730.
  plat::Control &picTitlebar, &picMain, &timActive, &picX, &picPicture, &picClose, &lblVersion,
      &lblName;
  skin::TitleBar title_bar_;
};

}  // namespace windows
