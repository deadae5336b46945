// The window calls the program's search for the disk tools makes, as one
// contract for the headless desktop and the real API: FindWindowA, EnumWindows,
// EnumChildWindows, GetWindow(GW_HWNDNEXT), GetWindowTextA and its length,
// GetClassNameA and whether a window is this program's. The windows are this
// program's own, made for the test; buffers start filled with '#' and the last
// error with a sentinel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "target.h"

namespace {

using namespace std::string_view_literals;
using plat::WindowId;

// The windows of the test, by name; kNone is no window, kGone one destroyed.
enum W {
  kNone,
  kScanDisk,
  kDialog,
  kYes,
  kGroup,
  kLater,
  kNo,
  kHidden,
  kUntitled,
  kGone,
  kForeign
};

constexpr std::uint32_t kAnyError = 0;
constexpr std::uint32_t kInvalidWindowHandle = 1400;

class WindowContract : public ::testing::Test {
 protected:
  void SetUp() override {
    w[kScanDisk] = t->MakeWindow("BrivaneCheckA", "ScanDisk - (C:)", 0, true);
    w[kDialog] = t->MakeWindow("#32770", "Disk Defragmenter", 0, true);
    w[kYes] = t->MakeWindow("Button", "&Yes", w[kDialog], true);
    w[kGroup] = t->MakeWindow("Button", "Options", w[kDialog], true);
    w[kLater] = t->MakeWindow("Button", "&Later", w[kGroup], true);
    w[kNo] = t->MakeWindow("Button", "&No", w[kDialog], true);
    w[kHidden] = t->MakeWindow("BrivaneCheckH", "Hidden", 0, false);
    w[kUntitled] = t->MakeWindow("BrivaneCheckE", "", 0, true);
    w[kGone] = t->MakeWindow("BrivaneCheckG", "Gone", 0, false);
    sys.SendMessage(w[kGone], plat::kWmClose, 0, 0);  // its default handling destroys it
    w[kForeign] = t->ForeignWindow();
    for (int i = kScanDisk; i <= kForeign; ++i) ASSERT_NE(w[i], 0u) << i;
  }

  // The test's own windows in the order `visit` saw them, the others left out.
  std::vector<int> Ours(const std::vector<WindowId>& seen) const {
    std::vector<int> out;
    for (WindowId id : seen) {
      auto it = std::find(w.begin() + kScanDisk, w.begin() + kForeign, id);
      if (it != w.begin() + kForeign) out.push_back(static_cast<int>(it - w.begin()));
    }
    return out;
  }
  // The last error after a call, where the target keeps one.
  void ExpectLastError(std::uint32_t error) {
    if (auto last = t->LastError(); last && error != kAnyError) {
      EXPECT_EQ(*last, error);
    }
  }

  std::unique_ptr<contract::Target> t = contract::MakeTarget();
  plat::System& sys = t->Sys();
  std::array<WindowId, kForeign + 1> w{};
};

TEST_F(WindowContract, FindWindowMatchesWholeClassAndCaptionOfTopLevelWindows) {
  const struct {
    const char* class_name;
    const char* caption;
    W found;
  } rows[] = {
      {"BrivaneCheckA", "ScanDisk - (C:)", kScanDisk},
      {"brivanecheckA", "SCANDISK - (c:)", kScanDisk},  // case does not count
      {"BrivaneCheckA", "ScanDisk", kNone},             // whole texts only
      {"BrivaneCheck", nullptr, kNone},
      {nullptr, "Disk Defragmenter", kDialog},
      // 5
      {"#32770", "Disk Defragmenter", kDialog},
      {"BrivaneCheckH", nullptr, kHidden},  // hidden windows count
      {nullptr, "Hidden", kHidden},
      {"Button", "&Yes", kNone},  // child windows do not
      {nullptr, "&Yes", kNone},
      // 10
      {"BrivaneCheckE", "", kUntitled},
      {"BrivaneCheckG", nullptr, kNone},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    t->SetLastErrorSentinel();
    EXPECT_EQ(sys.FindWindow(rows[i].class_name, rows[i].caption), w[rows[i].found]);
  }
}

TEST_F(WindowContract, TextsAndClassNamesFollowTheBufferRules) {
  enum Call { kText, kLength, kClass };
  const struct {
    Call call;
    W window;
    int size;
    int result;
    std::string_view written;              // the buffer's start afterwards; the rest stays '#'
    std::uint32_t real_error = kAnyError;  // the headless desktop keeps no last error
  } rows[] = {
      {kText, kScanDisk, 64, 15, "ScanDisk - (C:)\0"sv},
      {kText, kScanDisk, 9, 8, "ScanDisk\0"sv},
      {kText, kScanDisk, 1, 0, "\0"sv},
      {kText, kScanDisk, 0, 0, ""},
      {kText, kYes, 64, 4, "&Yes\0"sv},
      // 5
      {kText, kUntitled, 64, 0, "\0"sv},
      {kText, kGone, 64, 0, "\0"sv, kInvalidWindowHandle},
      {kLength, kScanDisk, 0, 15, ""},
      {kLength, kUntitled, 0, 0, ""},
      {kLength, kGone, 0, 0, "", kInvalidWindowHandle},
      // 10
      {kClass, kScanDisk, 64, 13, "BrivaneCheckA\0"sv},
      {kClass, kScanDisk, 8, 7, "Brivane\0"sv},
      {kClass, kDialog, 64, 6, "#32770\0"sv},
      {kClass, kYes, 64, 6, "Button\0"sv},
      {kClass, kScanDisk, 0, 0, ""},
      // 15
      {kClass, kGone, 64, 0, ""},  // the buffer as it was
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const auto& r = rows[i];
    std::array<char, 80> buffer;
    buffer.fill('#');
    t->SetLastErrorSentinel();
    int result = r.call == kText    ? sys.GetWindowText(w[r.window], buffer.data(), r.size)
                 : r.call == kClass ? sys.GetClassName(w[r.window], buffer.data(), r.size)
                                    : sys.GetWindowTextLength(w[r.window]);
    EXPECT_EQ(result, r.result);
    ExpectLastError(r.real_error);
    const std::string_view got(buffer.data(), buffer.size());
    EXPECT_EQ(got.substr(0, r.written.size()), r.written);
    EXPECT_EQ(got.find_first_not_of('#', r.written.size()), std::string_view::npos);
  }
}

TEST_F(WindowContract, EnumerationFollowsTheZOrderAndStopsWhenAsked) {
  std::vector<WindowId> top, children, first;
  sys.EnumWindows([&](WindowId id) {
    top.push_back(id);
    return true;
  });
  // Newest on top; hidden windows are listed too.
  EXPECT_EQ(Ours(top), (std::vector<int>{kUntitled, kHidden, kDialog, kScanDisk}));
  sys.EnumWindows([&](WindowId id) {
    first.push_back(id);
    return false;
  });
  EXPECT_EQ(first.size(), 1u);
  // Depth first, children in the order they were made.
  sys.EnumChildWindows(w[kDialog], [&](WindowId id) {
    children.push_back(id);
    return true;
  });
  EXPECT_EQ(Ours(children), (std::vector<int>{kYes, kGroup, kLater, kNo}));
  EXPECT_EQ(children.size(), 4u);

  const struct {
    W window, next;
  } rows[] = {
      {kUntitled, kHidden}, {kHidden, kDialog}, {kYes, kGroup},
      {kGroup, kNo},        {kNo, kNone},       {kLater, kNone},  // 5
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sys.GetNextWindow(w[rows[i].window]), w[rows[i].next]);
  }
}

TEST_F(WindowContract, OwnWindowsAreThisProgramsAlive) {
  const struct {
    W window;
    bool own;
  } rows[] = {
      {kScanDisk, true}, {kYes, true},      {kHidden, true},
      {kGone, false},    {kForeign, false}, {kNone, false},  // 5
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sys.IsOwnWindow(w[rows[i].window]), rows[i].own);
  }
}

}  // namespace
