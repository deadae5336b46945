// Draws Brivane's skin pictures and icon into a folder:
//   artgen OUTPUT_DIR [BOLD_TTF BOLD_OBLIQUE_TTF]
// The output is byte-for-byte the same on every run.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "tools/artgen/font.h"
#include "tools/artgen/icon.h"
#include "tools/artgen/jpeg_out.h"
#include "tools/artgen/sheets.h"

#ifndef ARTGEN_BOLD_FONT
#define ARTGEN_BOLD_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif
#ifndef ARTGEN_BOLD_ITALIC_FONT
#define ARTGEN_BOLD_ITALIC_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf"
#endif

namespace {

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR [BOLD_TTF BOLD_OBLIQUE_TTF]\n", argv[0]);
    return 2;
  }
  try {
    const std::string dir = argv[1];
    const art::Font bold(argc == 4 ? argv[2] : ARTGEN_BOLD_FONT);
    const art::Font bold_italic(argc == 4 ? argv[3] : ARTGEN_BOLD_ITALIC_FONT);
    const art::Fonts fonts{bold, bold_italic};
    const art::Icon icon = art::MakeIcon();

    // Resource lengths as the windows expect them; 101 and 104 carry two zero
    // bytes after the end-of-image marker.
    Write(dir + "/about.jpg", art::EncodeJpegExact(art::AboutSheet(fonts, icon), 81452, 2));
    Write(dir + "/main.jpg", art::EncodeJpegExact(art::MainSheet(fonts, icon), 136292, 0));
    Write(dir + "/splash.jpg", art::EncodeJpegExact(art::SplashPicture(fonts, icon), 63464, 2));
    Write(dir + "/brivane.ico", art::IcoFile(icon));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "artgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
