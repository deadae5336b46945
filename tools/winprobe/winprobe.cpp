// winprobe [--class NAME] [--caption TEXT] [--wait SECONDS] [--watch] [--close]
//
// Finds the top-level windows with that class and caption (either may be left
// out) and prints one line for each and one for every descendant:
//   window <n> class="C" caption="T" x y w h client CX CY CW CH visible V
//   child <id> parent <parent-id> class="C" caption="T" x y w h screen SX SY visible V
//         enabled E [name=NAME]
//   label <id> parent <parent-id> name=NAME x y w h screen SX SY
// A child's x and y are inside its parent's client area, SX SY are its top left
// on the screen; a top-level window's x y are on the screen, CX CY its client
// area's top left. Ids are the control ids (0 for the top-level window).
// Brivane's own windows (class BrivaneForm) are matched to their layouts by
// caption: a child gets the name of the layout row the toolkit made it from, and
// each label, which has no window of its own, gets a line with its rectangle as
// the layout places it (a label that sizes itself to its caption may be wider).
// Waits up to --wait seconds for a visible match; exits 1 when none appears.
// --watch also reports, while waiting, every visible window of the class that
// does not match the caption, as soon as it is seen (a splash, say), after a
// first line "watching" once it looks:
//   seen class="C" caption="T" x y w h
// --close posts WM_CLOSE to each match afterwards.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"
#include "platform/win32/win_headers.h"
#include "windows/layouts.h"

namespace {

constexpr char kFormClass[] = "BrivaneForm";

struct Query {
  const char* class_name = nullptr;
  const char* caption = nullptr;
  bool watch = false;
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

POINT ClientOrigin(HWND hwnd) {
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return origin;
}

// The form a window of Brivane's was made from: the toolkit numbers each
// control by its row in the layout, from 1.
std::unique_ptr<plat::Form> FormOf(HWND top) {
  if (ClassOf(top) != kFormClass) return nullptr;
  std::string caption = Text(top);
  for (const plat::FormLayout* layout :
       {&windows::MainLayout(), &windows::AboutLayout(), &windows::SplashLayout()}) {
    if (caption == layout->caption) return std::make_unique<plat::Form>(*layout);
  }
  return nullptr;
}

const plat::Control* ControlById(const plat::Form* form, int id) {
  if (form == nullptr || id < 1 || id > static_cast<int>(form->controls().size())) return nullptr;
  return form->controls()[id - 1].get();
}

int IdOf(const plat::Form& form, const plat::Control* c) {
  for (std::size_t i = 0; i < form.controls().size(); ++i) {
    if (form.controls()[i].get() == c) return static_cast<int>(i) + 1;
  }
  return 0;
}

struct Children {
  const plat::Form* form = nullptr;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
  reinterpret_cast<Children*>(lp)->windows.push_back(hwnd);
  return TRUE;
}

void PrintChild(HWND hwnd, const plat::Form* form) {
  HWND parent = GetParent(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT origin{r.left, r.top};
  ScreenToClient(parent, &origin);
  int parent_id = GetWindowLongA(parent, GWL_STYLE) & WS_CHILD ? GetDlgCtrlID(parent) : 0;
  std::printf(
      "child %d parent %d class=\"%s\" caption=\"%s\" %ld %ld %ld %ld screen %ld %ld visible %d "
      "enabled %d",
      GetDlgCtrlID(hwnd), parent_id, ClassOf(hwnd).c_str(), Text(hwnd).c_str(), origin.x, origin.y,
      r.right - r.left, r.bottom - r.top, r.left, r.top, IsWindowVisible(hwnd) ? 1 : 0,
      IsWindowEnabled(hwnd) ? 1 : 0);
  if (const plat::Control* c = ControlById(form, GetDlgCtrlID(hwnd))) {
    std::printf(" name=%s", c->name().c_str());
  }
  std::printf("\n");
}

// The labels of the form, placed in their container's client area as the layout has them.
void PrintLabels(HWND top, const plat::Form& form, const std::vector<HWND>& children) {
  for (const auto& c : form.controls()) {
    if (c->kind() != plat::Kind::kLabel) continue;
    int parent_id = c->container() ? IdOf(form, c->container()) : 0;
    HWND parent = parent_id == 0 ? top : nullptr;
    for (HWND child : children) {
      if (parent == nullptr && GetDlgCtrlID(child) == parent_id) parent = child;
    }
    if (parent == nullptr) continue;
    plat::PixelRect r = c->Rect();
    POINT origin = ClientOrigin(parent);
    std::printf("label %d parent %d name=%s %d %d %d %d screen %ld %ld\n", IdOf(form, c.get()),
                parent_id, c->name().c_str(), r.x, r.y, r.width, r.height, origin.x + r.x,
                origin.y + r.y);
  }
}

void PrintWindow(int n, HWND hwnd) {
  RECT r, c;
  GetWindowRect(hwnd, &r);
  GetClientRect(hwnd, &c);
  POINT origin = ClientOrigin(hwnd);
  std::printf(
      "window %d class=\"%s\" caption=\"%s\" %ld %ld %ld %ld client %ld %ld %ld %ld visible %d\n",
      n, ClassOf(hwnd).c_str(), Text(hwnd).c_str(), r.left, r.top, r.right - r.left,
      r.bottom - r.top, origin.x, origin.y, c.right, c.bottom, IsWindowVisible(hwnd) ? 1 : 0);
  std::unique_ptr<plat::Form> form = FormOf(hwnd);
  Children children;
  EnumChildWindows(hwnd, CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children.windows) PrintChild(child, form.get());
  if (form) PrintLabels(hwnd, *form, children.windows);
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
    else {
      std::fprintf(stderr, "winprobe: unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  DWORD deadline = GetTickCount() + static_cast<DWORD>(wait * 1000);
  if (q.watch) {
    std::printf("watching\n");
    std::fflush(stdout);
  }
  for (;;) {
    q.found.clear();
    EnumWindows(Match, reinterpret_cast<LPARAM>(&q));
    if (!q.found.empty() || static_cast<LONG>(GetTickCount() - deadline) >= 0) break;
    Sleep(q.watch ? 2 : 100);
  }
  int n = 0;
  for (HWND hwnd : q.found) {
    PrintWindow(n++, hwnd);
    if (close) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  }
  std::fflush(stdout);
  return q.found.empty() ? 1 : 0;
}
