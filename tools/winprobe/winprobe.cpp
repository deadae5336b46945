// winprobe [--class NAME] [--caption TEXT] [--wait SECONDS] [--watch] [--close] [--enabled]
//
// Finds the top-level windows with that class and caption (either may be left
// out) and prints one line for each and one for every descendant:
//   window <n> class="C" caption="T" x y w h client W H visible V
//   child <id> parent <parent-id> class="C" caption="T" x y w h visible V
// A child's x and y are inside its parent's client area; a top-level window's
// are on the screen. Ids are the control ids (0 for the top-level window).
// Waits up to --wait seconds for a visible match; exits 1 when none appears.
// --watch also reports, while waiting, every visible window of the class that
// does not match the caption, as soon as it is seen (a splash, say):
//   seen class="C" caption="T" x y w h
// --close posts WM_CLOSE to each match afterwards.
// --enabled adds " enabled E" to every child line (1 unless the window is disabled).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Query {
  const char* class_name = nullptr;
  const char* caption = nullptr;
  bool watch = false;
  bool enabled = false;
  std::vector<HWND> found;
  std::vector<HWND> seen;
};

std::string Text(HWND hwnd) {
  char buf[512] = {};
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

std::string ClassOf(HWND hwnd) {
  char buf[256] = {};
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

void ReportSeen(Query* q, HWND hwnd) {
  for (HWND s : q->seen) {
    if (s == hwnd) return;
  }
  q->seen.push_back(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  std::printf("seen class=\"%s\" caption=\"%s\" %ld %ld %ld %ld\n", ClassOf(hwnd).c_str(),
              Text(hwnd).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
}

BOOL CALLBACK Match(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<Query*>(lp);
  if (q->class_name && ClassOf(hwnd) != q->class_name) return TRUE;
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (q->caption && Text(hwnd) != q->caption) {
    if (q->watch) ReportSeen(q, hwnd);
    return TRUE;
  }
  q->found.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM lp) {
  const auto* q = reinterpret_cast<const Query*>(lp);
  HWND parent = GetParent(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT origin{r.left, r.top};
  ScreenToClient(parent, &origin);
  int parent_id = GetWindowLongA(parent, GWL_STYLE) & WS_CHILD ? GetDlgCtrlID(parent) : 0;
  std::printf("child %d parent %d class=\"%s\" caption=\"%s\" %ld %ld %ld %ld visible %d",
              GetDlgCtrlID(hwnd), parent_id, ClassOf(hwnd).c_str(), Text(hwnd).c_str(), origin.x,
              origin.y, r.right - r.left, r.bottom - r.top, IsWindowVisible(hwnd) ? 1 : 0);
  if (q->enabled) std::printf(" enabled %d", IsWindowEnabled(hwnd) ? 1 : 0);
  std::printf("\n");
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  Query q;
  double wait = 0;
  bool close = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--class") && i + 1 < argc)
      q.class_name = argv[++i];
    else if (!std::strcmp(argv[i], "--caption") && i + 1 < argc)
      q.caption = argv[++i];
    else if (!std::strcmp(argv[i], "--wait") && i + 1 < argc)
      wait = std::atof(argv[++i]);
    else if (!std::strcmp(argv[i], "--close"))
      close = true;
    else if (!std::strcmp(argv[i], "--watch"))
      q.watch = true;
    else if (!std::strcmp(argv[i], "--enabled"))
      q.enabled = true;
    else {
      std::fprintf(stderr, "winprobe: unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  DWORD deadline = GetTickCount() + static_cast<DWORD>(wait * 1000);
  for (;;) {
    q.found.clear();
    EnumWindows(Match, reinterpret_cast<LPARAM>(&q));
    if (!q.found.empty() || static_cast<LONG>(GetTickCount() - deadline) >= 0) break;
    Sleep(q.watch ? 2 : 100);
  }
  int n = 0;
  for (HWND hwnd : q.found) {
    RECT r, c;
    GetWindowRect(hwnd, &r);
    GetClientRect(hwnd, &c);
    std::printf("window %d class=\"%s\" caption=\"%s\" %ld %ld %ld %ld client %ld %ld visible %d\n",
                n++, ClassOf(hwnd).c_str(), Text(hwnd).c_str(), r.left, r.top, r.right - r.left,
                r.bottom - r.top, c.right, c.bottom, IsWindowVisible(hwnd) ? 1 : 0);
    EnumChildWindows(hwnd, PrintChild, reinterpret_cast<LPARAM>(&q));
    if (close) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  }
  std::fflush(stdout);
  return q.found.empty() ? 1 : 0;
}
