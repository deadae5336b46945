// skincomp SHEET.jpg OUT.ppm WIDTH HEIGHT OP...
//
// Composes a WIDTH x HEIGHT picture from pieces of a sprite sheet, decoded with
// plat::DecodeJpeg as the program decodes it, and writes it as a binary PPM.
// The operations run in order, later ones over earlier ones:
//   fill:RRGGBB                      the whole picture in one colour
//   rect:X,Y,W,H,RRGGBB              a rectangle in one colour
//   frame:X,Y,W,H                    a one-pixel black line inside the rectangle
//   piece:SX,SY,W,H@X,Y[,CW,CH]      the sheet's rectangle copied to X,Y, clipped
//                                    to CW x CH (the surface it lands on)
// Exit status: 0 written, 1 the sheet or the output failed, 2 usage.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/image.h"

namespace {

using plat::Image;
using plat::Pixel;

// Reads N comma-separated integers; false unless exactly N and nothing else.
bool Ints(const std::string& text, int n, int* out) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) {
    std::size_t used = 0;
    try {
      out[i] = std::stoi(text.substr(at), &used, 10);
    } catch (const std::exception&) {
      return false;
    }
    at += used;
    if (i + 1 < n) {
      if (at >= text.size() || text[at] != ',') return false;
      ++at;
    }
  }
  return at == text.size();
}

bool Colour(const std::string& text, Pixel* out) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return false;
  }
  *out = static_cast<Pixel>(std::stoul(text, nullptr, 16));
  return true;
}

void FillRect(Image& img, int x, int y, int w, int h, Pixel p) {
  for (int j = std::max(y, 0); j < std::min(y + h, img.height); ++j) {
    for (int i = std::max(x, 0); i < std::min(x + w, img.width); ++i) {
      img.pixels[static_cast<std::size_t>(j) * img.width + i] = p;
    }
  }
}

bool Apply(const std::string& op, const Image& sheet, Image& img) {
  std::size_t colon = op.find(':');
  if (colon == std::string::npos) return false;
  const std::string kind = op.substr(0, colon), args = op.substr(colon + 1);
  int v[8];
  Pixel p;
  if (kind == "fill") {
    if (!Colour(args, &p)) return false;
    FillRect(img, 0, 0, img.width, img.height, p);
    return true;
  }
  if (kind == "rect") {
    std::size_t last = args.rfind(',');
    if (last == std::string::npos || !Ints(args.substr(0, last), 4, v) ||
        !Colour(args.substr(last + 1), &p)) {
      return false;
    }
    FillRect(img, v[0], v[1], v[2], v[3], p);
    return true;
  }
  if (kind == "frame") {
    if (!Ints(args, 4, v)) return false;
    FillRect(img, v[0], v[1], v[2], 1, 0);
    FillRect(img, v[0], v[1] + v[3] - 1, v[2], 1, 0);
    FillRect(img, v[0], v[1], 1, v[3], 0);
    FillRect(img, v[0] + v[2] - 1, v[1], 1, v[3], 0);
    return true;
  }
  if (kind == "piece") {
    std::size_t at = args.find('@');
    if (at == std::string::npos || !Ints(args.substr(0, at), 4, v)) return false;
    const std::string dest = args.substr(at + 1);
    int w = v[2], h = v[3];
    if (Ints(dest, 4, v + 4)) {
      w = std::min(w, v[6]);
      h = std::min(h, v[7]);
    } else if (!Ints(dest, 2, v + 4)) {
      return false;
    }
    plat::BlockCopy(sheet, v[0], v[1], w, h, img, v[4], v[5]);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  int size[2];
  if (argc < 5 || !Ints(argv[3], 1, size) || !Ints(argv[4], 1, size + 1) || size[0] <= 0 ||
      size[1] <= 0) {
    std::fprintf(stderr, "usage: skincomp SHEET.jpg OUT.ppm WIDTH HEIGHT OP...\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  Image sheet;
  try {
    sheet = plat::DecodeJpeg(bytes);
  } catch (const std::exception&) {
    std::fprintf(stderr, "skincomp: cannot decode %s\n", argv[1]);
    return 1;
  }
  Image img;
  img.Reset(size[0], size[1], 0);
  for (int i = 5; i < argc; ++i) {
    if (!Apply(argv[i], sheet, img)) {
      std::fprintf(stderr, "skincomp: bad operation %s\n", argv[i]);
      return 2;
    }
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << "P6\n" << img.width << ' ' << img.height << "\n255\n";
  for (Pixel px : img.pixels) {
    const char rgb[3] = {static_cast<char>(px >> 16), static_cast<char>(px >> 8),
                         static_cast<char>(px)};
    out.write(rgb, 3);
  }
  return out.good() ? 0 : 1;
}
