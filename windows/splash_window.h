// frmSplash: the picture with the version, shown while the main window loads.
#pragma once

#include <string>

#include "platform/toolkit.h"

namespace windows {

// "Version 1.0.3".
std::string VersionText();

class FrmSplash {
 public:
  FrmSplash();
  FrmSplash(const FrmSplash&) = delete;
  FrmSplash& operator=(const FrmSplash&) = delete;

  plat::Form& form() { return form_; }
  void Form_Load();

 private:
  plat::Form form_;
  plat::Control &Picture1, &lblVersion;
};

}  // namespace windows
