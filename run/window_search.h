// Finding the disk tools' windows and their buttons, and a plain pause.
#pragma once

#include <cstdint>
#include <string>

#include "platform/convert.h"
#include "platform/system.h"

namespace run {

// The searches whose results the watchers read afterwards.
class WindowSearch {
 public:
  // Top-level enumeration callback: sets ScanDiskFound and stops at a window of
  // another program whose caption contains "ScanDisk".
  int EnumScanDiskWindow(plat::WindowId window, std::intptr_t user);
  // Child enumeration callback: a descendant whose identity equals ButtonCaption
  // becomes ButtonWindow (the last match wins).
  int EnumButtonWindow(plat::WindowId window, std::intptr_t user);
  // Searches the dialog's descendants for `caption`; ButtonWindow is cleared first.
  void FindButton(plat::WindowId dialog, const char* caption);
  // Two left clicks at the top-left corner of ButtonWindow; nothing when it is 0.
  void PressButton();

  plat::Bool16 ScanDiskFound = plat::kFalse;
  std::string ButtonCaption;
  plat::WindowId ButtonWindow = 0;
  plat::WindowId ToolDialog = 0;
};

// From `start` down the Z-order, the first window of another program whose
// caption contains `text`; 0 when none. Yields to waiting messages before each
// window. Without `case_sensitive` the caller's `text` is lowered too.
plat::WindowId FindWindowByTitle(plat::WindowId start, std::string& text,
                                 const plat::Bool16& case_sensitive);
// The window's whole caption ("" for none).
std::string GetWindowTitle(plat::WindowId window);
// The caption, or the class name for a window without one; `kind` says which.
std::string GetWindowIdentity(plat::WindowId window, std::string& kind, std::string& class_name);
std::string StripNull(const std::string& text);
// Blocks the thread; processes no window messages.
void Pause(std::int32_t milliseconds);

// The top-level window of another program with this class and whole caption.
plat::WindowId FindToolWindow(const char* class_name, const char* caption);
// Sends a message to another program without hanging on it when it is hung.
void SendToTool(plat::WindowId window, unsigned message);

}  // namespace run
