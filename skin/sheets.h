// Where each piece lies on the sprite sheets, in sheet pixels: the windows copy
// their pieces from here and tools/artgen draws them here.
#pragma once

namespace skin {

struct Piece {
  int x, y, w, h;
};

// Main sheet (resource 102).
namespace main_sheet {
inline constexpr Piece kTitleActive{0, 48, 425, 21};
inline constexpr Piece kTitleInactive{0, 72, 425, 21};
inline constexpr Piece kBody{0, 97, 425, 329};
inline constexpr Piece kExecuteNormal{0, 431, 106, 33};
inline constexpr Piece kExecuteHover{110, 431, 106, 33};
inline constexpr Piece kExecutePressed{219, 431, 106, 33};
inline constexpr Piece kExitNormal{0, 469, 66, 32};
inline constexpr Piece kExitHover{70, 469, 66, 32};
inline constexpr Piece kExitPressed{140, 469, 66, 32};
inline constexpr Piece kCloseActive{209, 478, 14, 14};
inline constexpr Piece kCloseHover{225, 478, 14, 14};
inline constexpr Piece kClosePressed{241, 478, 14, 14};
inline constexpr Piece kCloseInactive{258, 479, 14, 14};
inline constexpr Piece kHelpNormal{0, 502, 73, 39};
inline constexpr Piece kHelpHover{76, 502, 73, 39};
inline constexpr Piece kHelpPressed{152, 502, 73, 39};
inline constexpr Piece kAboutNormal{0, 544, 73, 39};
inline constexpr Piece kAboutHover{76, 544, 73, 39};
inline constexpr Piece kAboutPressed{152, 544, 73, 39};
}  // namespace main_sheet

// About sheet (resource 101).
namespace about_sheet {
inline constexpr Piece kTitleActive{0, 0, 265, 22};
inline constexpr Piece kTitleInactive{0, 23, 265, 22};
inline constexpr Piece kBody{0, 46, 265, 299};
inline constexpr Piece kCloseNormal{0, 351, 74, 38};
inline constexpr Piece kCloseHover{75, 351, 74, 38};
inline constexpr Piece kClosePressed{151, 351, 74, 38};
inline constexpr Piece kXActive{100, 437, 14, 14};
inline constexpr Piece kXHover{116, 437, 14, 14};
inline constexpr Piece kXPressed{130, 437, 14, 14};
inline constexpr Piece kXInactive{145, 437, 14, 14};
}  // namespace about_sheet

inline constexpr int kResourceAbout = 101;
inline constexpr int kResourceMain = 102;
inline constexpr int kResourceSplash = 104;

}  // namespace skin
