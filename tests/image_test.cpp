// Pixel buffers and the decoder's kept pictures: fills, copies, sharing and
// overlapping copies within one image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/errors.h"
#include "platform/image.h"
#include "program_fixture.h"

namespace {

using plat::Image;
using plat::PixelBuffer;

TEST(Image, FillsReachEveryPixelWhateverTheCount) {
  for (std::size_t n : {0u, 1u, 2u, 3u, 5u, 1000u, 1025u}) {
    SCOPED_TRACE(n);
    PixelBuffer b;
    b.assign(n + 3, 0x111111);  // a larger buffer first: the fill reuses it
    b.assign(n, 0xABCDEF);
    ASSERT_EQ(b.size(), n);
    EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](plat::Pixel p) { return p == 0xABCDEF; }));
  }
}

TEST(Image, CopiesAreTheirOwnAndSharedOnesPartOnTheFirstWrite) {
  PixelBuffer a;
  a.assign(4, 1);
  PixelBuffer copy = a;
  PixelBuffer shared = a.Shared();
  EXPECT_EQ(static_cast<const PixelBuffer&>(shared).data(),
            static_cast<const PixelBuffer&>(a).data());
  copy[0] = 2;
  shared[1] = 3;
  a[2] = 4;
  EXPECT_EQ(std::vector<plat::Pixel>(a.begin(), a.end()), (std::vector<plat::Pixel>{1, 1, 4, 1}));
  EXPECT_EQ(std::vector<plat::Pixel>(copy.begin(), copy.end()),
            (std::vector<plat::Pixel>{2, 1, 1, 1}));
  EXPECT_EQ(std::vector<plat::Pixel>(shared.begin(), shared.end()),
            (std::vector<plat::Pixel>{1, 3, 1, 1}));
}

TEST(Image, BlockCopyWithinOneImageMovesAsIfThroughABuffer) {
  Image row;
  row.Reset(5, 1, 0);
  for (int x = 0; x < 5; ++x)
    row.pixels[static_cast<std::size_t>(x)] = static_cast<plat::Pixel>(x + 1);
  plat::BlockCopy(row, 0, 0, 4, 1, row, 1, 0);  // one to the right, clipped at the end
  EXPECT_EQ(std::vector<plat::Pixel>(row.pixels.begin(), row.pixels.end()),
            (std::vector<plat::Pixel>{1, 1, 2, 3, 4}));
}

TEST(Image, KeptPicturesDecodeAlikeAndStayUntouchedByTheirCopies) {
  plat::KeepDecodedPictures(true);
  const std::vector<std::uint8_t> jpeg = brivane_test::CommittedPicture("splash.jpg");
  const Image first = plat::DecodeJpeg(jpeg);
  Image second = plat::DecodeJpeg(jpeg);  // the kept one's pixels
  EXPECT_TRUE(second.pixels == first.pixels);
  second.pixels[0] = ~first.pixels[0];  // a write to one copy
  EXPECT_EQ(plat::DecodeJpeg(jpeg).pixels[0], first.pixels[0]);
  const std::vector<std::uint8_t> cut(jpeg.begin(), jpeg.begin() + 100);
  for (int i = 0; i < 2; ++i) {  // a picture that fails is not kept as one that worked
    SCOPED_TRACE(i);
    try {
      plat::DecodeJpeg(cut);
      ADD_FAILURE() << "a cut picture decoded";
    } catch (const plat::RuntimeError& e) {
      EXPECT_EQ(e.number(), plat::kErrInvalidPicture);
    }
  }
  plat::KeepDecodedPictures(false);
  EXPECT_TRUE(first.pixels == plat::DecodeJpeg(jpeg).pixels);
}

}  // namespace
