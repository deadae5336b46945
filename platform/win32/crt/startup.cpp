// The program's own C library, its start and end: what the C runtime does before
// WinMain (the x87 set up, global constructors, WinMain's arguments) and after it
// (atexit's functions, global destructors), and abort's last-chance message.
// The executables linked on it (brivane_link_own_crt) import no C runtime DLL.
// The i686 and x86-64 builds run the same code: the compiler adds the i686
// symbols' leading underscore, and where the two unwind differently (the i686
// build's DWARF tables must be registered, x86-64's SEH tables need nothing) it is
// crtend.o's constructor, run from the list below, that does it.
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "platform/win32/win_headers.h"

// The linker's lists of global constructors and destructors, each -1, the
// functions, 0. GCC on MinGW puts them in .ctors and .dtors, not .init_array.
extern "C" void (*__CTOR_LIST__[])();
extern "C" void (*__DTOR_LIST__[])();

namespace {

// ---------------------------------------------------------------- exit

using ExitFunction = void (*)();

// atexit's functions, in blocks: the first is static, so that the few the program
// registers (destructors of local statics, the unwinder's deregistration) need no
// heap; more come from it.
struct ExitBlock {
  ExitBlock* older;
  int count;
  ExitFunction functions[32];
};
ExitBlock g_first_block;
ExitBlock* g_exit_functions = &g_first_block;
bool g_exiting = false;

// Last registered first, including those registered while exiting.
void RunExitFunctions() {
  for (;;) {
    ExitBlock* block = g_exit_functions;
    if (block->count == 0) {
      if (block->older == nullptr) return;
      g_exit_functions = block->older;
      std::free(block);
      continue;
    }
    block->functions[--block->count]();
  }
}

void RunDestructors() {
  for (void (**d)() = __DTOR_LIST__ + 1; *d != nullptr; ++d) (*d)();
}

// ---------------------------------------------------------------- start

// Last first, as the list was built. The first word may hold the count.
void RunConstructors() {
  auto count = reinterpret_cast<std::intptr_t>(__CTOR_LIST__[0]);
  if (count == -1) {
    count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) ++count;
  }
  for (; count > 0; --count) __CTOR_LIST__[count]();
  // The .dtors list runs first at exit, as MinGW's start-up registers it last.
  std::atexit(RunDestructors);
}

// The command line after the program's name and the blanks that follow it. The
// name ends at the first blank outside double quotes.
char* CommandTail() {
  char* p = GetCommandLineA();
  bool quoted = false;
  for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); ++p) {
    if (*p == '"') quoted = !quoted;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

int ShowCommand() {
  STARTUPINFOA info{};
  info.cb = sizeof info;
  GetStartupInfoA(&info);
  return (info.dwFlags & STARTF_USESHOWWINDOW) != 0 ? info.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

// Where Windows starts the program (the linker's default entry point for a GUI
// executable). Windows 9x enters it with the stack aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup() {
  // The x87 as MinGW's start-up left it (fninit: 64-bit precision, all
  // exceptions masked); the double arithmetic of the i686 build runs on it.
  __asm__ volatile("fninit");
  // MinGW's start-up also set an unhandled-exception filter that turns faults
  // into C signals; with no signal handler it hands every fault on, as no
  // filter does.
  RunConstructors();
  std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, CommandTail(), ShowCommand()));
}

extern "C" int atexit(ExitFunction function) {
  if (g_exit_functions->count == static_cast<int>(std::size(g_first_block.functions))) {
    auto* block = static_cast<ExitBlock*>(std::malloc(sizeof(ExitBlock)));
    if (block == nullptr) return -1;
    block->older = g_exit_functions;
    block->count = 0;
    g_exit_functions = block;
  }
  g_exit_functions->functions[g_exit_functions->count++] = function;
  return 0;
}

extern "C" void exit(int code) {
  // exit called again from an exit function ends the process at once.
  if (!g_exiting) {
    g_exiting = true;
    RunExitFunctions();
  }
  ExitProcess(static_cast<UINT>(code));
}

// ---------------------------------------------------------------- abort

// std::terminate ends here, and so do the unwinder and the exception support on
// a state they cannot go on from. A GUI program has no console for a message: it
// gets a box naming the program, then the process ends with status 3, as with
// MSVCRT.DLL's abort.
extern "C" void abort() {
  char text[MAX_PATH + 64] = "Program: ";
  const DWORD prefix = 9;
  const DWORD length = GetModuleFileNameA(nullptr, text + prefix, MAX_PATH);
  lstrcpynA(text + prefix + length, "\n\nabnormal program termination", 64);
  MessageBoxA(nullptr, text, "Runtime Error",
              MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_SETFOREGROUND);
  ExitProcess(3);
}

// ---------------------------------------------------------------- what libgcc asks

// One thread runs these programs, and the C++ runtime is told so: with _CRT_MT at
// 0, libgcc's thread support reports no threads, so the exception runtime keeps
// its per-thread data in plain statics and takes no locks. Destructors for a
// thread key free what a thread leaves when it ends before the process; the only
// thread here ends with the process, which frees everything, so none is kept.
extern "C" {
int _CRT_MT = 0;
int __mingwthr_key_dtor(DWORD, void (*)(void*)) {
  return 0;
}
}
