// What Brivane.log says of a run, and the reading back of it: the writer and the
// reader of each line side by side, so that rewording a line cannot silently
// break the detection of an interrupted run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace run {

// "drive C:\, ScanDisk and Defrag, then shut down".
std::string DescribeRun(std::string_view drive, bool scandisk, bool defrag, bool shutdown);

// "Armed: <run>", at the desktop: any run before it was over by then.
void LogArmed(std::string_view run);
// "Run resumed after the restart: <run>": a run begins.
void LogResumed(std::string_view run);
// "Started: <command line>": a tool of the run is at work.
void LogStarted(std::string_view command);
// "Run completed: shut down requested" (or restart): the run has ended.
void LogCompleted(bool shutdown);

// True when the last run in the log started a tool and has no end: the power
// went (or the machine was switched off) during that run.
bool LastRunInterrupted();
void LogInterruptedBefore();

// "ScanDisk finished after 1:02:05", the time since `started` (GetTickCount).
void LogScanDiskFinished(std::uint32_t started);
void LogPromptAnswered(std::uint32_t defrag_started);
// The prompt in another language: a question of Defrag's process, its Yes
// button found by its ID.
void LogPromptAnsweredById(std::uint32_t defrag_started, std::string_view caption);
// The prompt was there, but no button took the clicks.
void LogPromptNotAnswered(std::string_view caption, bool button_found);
void LogDefragEndedWithoutPrompt(std::uint32_t defrag_started);
void LogScanDiskQuestionAnswered(std::string_view caption);
// ExitWindowsEx answered FALSE: the run ends on a desktop instead.
void LogShutdownRefused(std::uint32_t error, std::string_view shell);
void LogShellNotStarted(int error);
void LogExitDuringRun();

}  // namespace run
