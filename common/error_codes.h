// The error codes users see in a report ("Program Spacific Error Code: FM831"),
// one row each: the procedure that reports it, what failed and what comes next.
// The prefix names the window or module the code was first given to (FM main
// window and its run, FA about window, MD short paths, MI settings file, MSK skin
// painter, MSP start-up, MRES skin pictures); users quote the codes, so they stay.
#pragma once

#include <string_view>

namespace common {

struct ErrorCode {
  const char* code;
  const char* procedure;  // who reports it
  const char* meaning;    // what failed, and what the procedure does next
  constexpr operator std::string_view() const { return code; }
};

namespace codes {
// clang-format off
inline constexpr ErrorCode kDriveList    {"FM142",   "app::FrmMain::FillDriveList",          "listing the fixed drives; C:\\ is added instead"};
inline constexpr ErrorCode kStartRun     {"FM227",   "run::MaintenanceRun::StartRun",        "presetting or starting the first disk tool; the run completes"};
inline constexpr ErrorCode kFinishRun    {"FM316",   "run::MaintenanceRun::FinishRun",       "completing the run; the watcher tries again"};
inline constexpr ErrorCode kArming       {"FM831",   "app::FrmMain::PicExecute_Click",       "arming a run from Execute; the program ends"};
inline constexpr ErrorCode kAboutPaint   {"FA73",    "windows::FrmAbout::PaintAboutSkin",    "painting the about window; the next piece is tried"};
inline constexpr ErrorCode kAboutLoad    {"FA146",   "windows::FrmAbout::Form_Load",         "a step of the about window's load; the next step runs"};
inline constexpr ErrorCode kAboutUnload  {"FA186",   "windows::FrmAbout::picClose_Click",    "unloading the about window; it is hidden instead"};
inline constexpr ErrorCode kShortPath    {"MD63",    "common::GetShortName",                 "the executable's short path; the shell entry is left alone"};
inline constexpr ErrorCode kReadIni      {"MI95",    "common::ReadIni",                      "reading a profile value; the empty text"};
inline constexpr ErrorCode kPaintSkin    {"MSK148",  "app::PaintSkin",                       "painting the main window from its sheet; the program ends"};
inline constexpr ErrorCode kStartUp      {"MSP218",  "ProgramMain",                          "a start-up step; the next step runs"};
inline constexpr ErrorCode kSkinPicture  {"MRES76",  "skin::LoadSkinPicture",                "decoding a skin picture; the window has none"};
inline constexpr ErrorCode kSkinResource {"MRES169", "skin::ExtractResource",                "writing a skin picture to temp.jpg"};
// clang-format on
}  // namespace codes

}  // namespace common
