#include "tools/artgen/sheets.h"

#include "skin/sheets.h"

namespace art {
namespace {

constexpr Rgb kLabelGrey{96, 104, 112};
constexpr Rgb kEtchDark{0, 64, 78};
constexpr Rgb kEtchLight{70, 160, 178};
constexpr Rgb kWindowsRed{255, 60, 48};
constexpr Rgb kPale{220, 236, 240};

// Main window body, in body (and so picMain client) pixels. The controls stand
// at: drive list (16, 120), tool check boxes at row 137 from x 216, completion
// options at rows 203 and 227 from x 216, Execute (284, 257), Exit (347, 288),
// Help (18, 251) and About (65, 281).
constexpr int kBodyX = skin::main_sheet::kBody.x, kBodyY = skin::main_sheet::kBody.y;
constexpr int kListTop = 120, kChecksTop = 137, kOptionsTop = 203;
constexpr int kLeftColumn = 16, kRightColumn = 216;
constexpr int kHeadingGap = 7;  // from a heading's baseline to its control

// A piece of the program's sheet table, of which the window shows the top-left
// shown_w x shown_h.
Piece Shown(const skin::Piece& p, int shown_w, int shown_h) {
  return Piece{p.x, p.y, p.w, p.h, shown_w, shown_h};
}

// Normal, hover and pressed faces of one button.
void ButtonRow(Canvas& c, const Fonts& f, const char* word, float size,
               const skin::Piece (&pieces)[3], Frame frame) {
  const Face faces[] = {Face::kNormal, Face::kHover, Face::kPressed};
  for (int i = 0; i < 3; ++i)
    DrawButton(c, f.bold, word, size, Shown(pieces[i], frame.w, frame.h), faces[i], frame);
}

// Active, hover, pressed and inactive close glyphs of one title bar, each shown
// in its top-left 13 x 12.
void CloseGlyphs(Canvas& c, const skin::Piece (&pieces)[4]) {
  const Glyph glyphs[] = {Glyph::kActive, Glyph::kHover, Glyph::kPressed, Glyph::kInactive};
  for (int i = 0; i < 4; ++i) DrawCloseGlyph(c, Shown(pieces[i], 13, 12), glyphs[i]);
}

}  // namespace

Canvas MainSheet(const Fonts& f, const Icon& icon) {
  Canvas c(425, 605, kWhite);

  // Rows 0 to 47 are never read: a label for whoever opens the sheet.
  DrawIcon(c, icon, 8, 8);
  DrawText(c, f.bold, "Brivane - main window skin", 14.0f, 48.0f, 23.0f, Rgb{40, 48, 56});
  DrawText(c, f.bold, "sprite sheet 425 x 605, pieces separated by white gaps", 10.0f, 48.0f, 37.0f,
           kLabelGrey);
  c.Fill(0, 45, 425, 1, Rgb{210, 214, 218});

  using namespace skin::main_sheet;
  DrawTitleStrip(c, f.bold, "Brivane", Shown(kTitleActive, 425, 20), true);
  DrawTitleStrip(c, f.bold, "Brivane", Shown(kTitleInactive, 425, 20), false);

  // The body: 425 x 329, of which picMain shows the top 325 rows.
  DrawField(c, Shown(kBody, 425, 325));
  DrawLogo(c, f.bold_italic, "Brivane", 66.0f, kBodyX + 8, kBodyY + 6, 409, 78);
  c.EtchH(kBodyX + 12, kBodyY + 88, 401, kEtchDark, kEtchLight);
  c.EtchV(kBodyX + 192, kBodyY + 100, 146, kEtchDark, kEtchLight);
  const float heading = 16.0f;
  DrawHeading(c, f.bold_italic, "Pick a Drive:", heading, kBodyX + kLeftColumn,
              kBodyY + kListTop - kHeadingGap);
  DrawHeading(c, f.bold_italic, "Run what Programs:", heading, kBodyX + kRightColumn,
              kBodyY + kChecksTop - kHeadingGap);
  DrawHeading(c, f.bold_italic, "When Complete:", heading, kBodyX + kRightColumn,
              kBodyY + kOptionsTop - kHeadingGap);

  // Button faces, framed in the part their surfaces show: Execute and Exit
  // show only their top-left 105 x 28 and 57 x 25. About lies over the lower
  // right 26 x 9 of Help, so Help is framed in its top 30 rows and About in
  // its bottom 30.
  ButtonRow(c, f, "Execute", 15.0f, {kExecuteNormal, kExecuteHover, kExecutePressed},
            Frame{0, 0, 105, 28});
  ButtonRow(c, f, "Exit", 13.0f, {kExitNormal, kExitHover, kExitPressed}, Frame{0, 0, 57, 25});
  ButtonRow(c, f, "Help", 14.0f, {kHelpNormal, kHelpHover, kHelpPressed}, Frame{0, 0, 73, 30});
  ButtonRow(c, f, "About", 14.0f, {kAboutNormal, kAboutHover, kAboutPressed}, Frame{0, 9, 73, 30});

  // Close glyphs: the inactive one lies a row lower than the others.
  CloseGlyphs(c, {kCloseActive, kCloseHover, kClosePressed, kCloseInactive});
  return c;
}

Canvas AboutSheet(const Fonts& f, const Icon& icon) {
  Canvas c(265, 477, kWhite);
  using namespace skin::about_sheet;
  DrawTitleStrip(c, f.bold, "About Brivane", Shown(kTitleActive, 265, 21), true);
  DrawTitleStrip(c, f.bold, "About Brivane", Shown(kTitleInactive, 265, 21), false);

  // Body, 265 x 299. The version label is written at (160, 55) and the owner's
  // name on the row 137 .. 154, so those places stay plain.
  constexpr int bx = kBody.x, by = kBody.y;
  DrawField(c, Shown(kBody, 265, 299));
  DrawLogo(c, f.bold_italic, "Brivane", 44.0f, bx + 6, by + 4, 253, 46);
  DrawIcon(c, icon, bx + 116, by + 47);
  c.EtchH(bx + 12, by + 90, 241, kEtchDark, kEtchLight);
  DrawTextCentred(c, f.bold, "Runs ScanDisk and Disk Defragmenter", 10.0f, bx, 265, by + 110.0f,
                  kWhite, 0.5f);
  DrawTextCentred(c, f.bold, "This copy is licensed to:", 10.0f, bx, 265, by + 129.0f, kWhite,
                  0.5f);
  c.EtchH(bx + 12, by + 166, 241, kEtchDark, kEtchLight);
  DrawText(c, f.bold, "Windows 95 / 98 / ME", 12.0f, bx + 14.0f, by + 190.0f, kWindowsRed, 0.8f);
  DrawText(c, f.bold, "Unattended disk maintenance,", 10.0f, bx + 14.0f, by + 208.0f, kPale, 0.5f);
  DrawText(c, f.bold, "then shutdown or restart.", 10.0f, bx + 14.0f, by + 222.0f, kPale, 0.5f);

  ButtonRow(c, f, "Close", 15.0f, {kCloseNormal, kCloseHover, kClosePressed}, Frame{0, 0, 74, 38});

  CloseGlyphs(c, {kXActive, kXHover, kXPressed, kXInactive});
  return c;
}

Canvas SplashPicture(const Fonts& f, const Icon& icon) {
  Canvas c(491, 265, kTeal);
  DrawField(c, Piece{0, 0, 491, 265, 491, 265});
  DrawText(c, f.bold, "Windows 95 / 98 / ME", 14.0f, 16.0f, 25.0f, kWindowsRed, 0.85f);
  // The logo and its shadow end above row 120, where the version label is written.
  DrawLogo(c, f.bold_italic, "Brivane", 82.0f, 16, 41, 459, 64);
  c.EtchH(24, 156, 443, kEtchDark, kEtchLight);
  DrawTextCentred(c, f.bold, "Unattended ScanDisk and Defrag, then shutdown or restart", 11.0f, 0,
                  491, 180.0f, kPale, 0.5f);
  DrawIcon(c, icon, 18, 265 - 18 - 32);
  DrawText(c, f.bold, "Loading, please wait...", 11.0f, 60.0f, 235.0f, kPale, 0.5f);
  return c;
}

}  // namespace art
