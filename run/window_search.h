// Finding the disk tools' windows and their buttons. Every search swallows the
// errors of the windows it looks at: a window that goes meanwhile is no match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/convert.h"
#include "platform/system.h"

namespace run {

// The window's whole caption; "" for none, or when it cannot be read.
std::string WindowCaption(plat::WindowId window);
// The caption, or the class name for a window without one.
std::string WindowIdentity(plat::WindowId window);

// True while a top-level window of another program has "ScanDisk" (that case)
// in its caption, visible or not.
bool ScanDiskWindowShown();

// From `start` down the Z-order, the first window of another program whose
// caption contains `text`; 0 when none. Yields to waiting messages before each
// window. Without `case_sensitive` the caller's `text` is lowered too.
plat::WindowId FindWindowByTitle(plat::WindowId start, std::string& text,
                                 const plat::Bool16& case_sensitive);
// The top-level window of another program with this class and whole caption.
plat::WindowId FindToolWindow(const char* class_name, const char* caption);

// The descendant of `dialog` whose identity is `caption` exactly (the last one
// visited when several are); 0 when none.
plat::WindowId FindButton(plat::WindowId dialog, std::string_view caption);
// Two left clicks at the button's top-left corner. True when all four messages
// were delivered.
bool PressButton(plat::WindowId button);

// A tool's windows in any language: its process's top-level "#32770" dialog with
// both a message box's Yes and No buttons (by control ID); 0 when none.
plat::WindowId FindQuestionOf(plat::ProcessId process);
// The descendant of `dialog` with this control ID; 0 when none.
plat::WindowId FindButtonById(plat::WindowId dialog, int id);
// The top-level windows of `process`, top first; none for process 0.
std::vector<plat::WindowId> WindowsOf(plat::ProcessId process);

// Sends a message to another program without hanging on it when it is hung.
// False when it was not delivered.
bool SendToTool(plat::WindowId window, unsigned message);

}  // namespace run
