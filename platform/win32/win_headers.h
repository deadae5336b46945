// <windows.h> for the Win32 platform files, without the ANSI/Unicode macros whose
// names the platform interfaces use for their own functions.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef DeleteFile
#undef FindWindow
#undef GetClassName
#undef GetDriveType
#undef GetNextWindow
#undef GetPrivateProfileString
#undef GetShortPathName
#undef GetWindowText
#undef GetWindowTextLength
#undef MessageBox
#undef MoveFile
#undef RegCreateKey
#undef RegOpenKey
#undef RegQueryValueEx
#undef RegSetValueEx
#undef SendMessage
#undef SendMessageTimeout
#undef WritePrivateProfileString
