// 2D font text: the fast block builder against the layout written out
// module by module, over random grids of every small shape and quiet zone
// (odd ones shift the blocks against the grid), and back through the reader.
#include "symbologies/matrix/matrix_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tavo::test {
namespace {

// The text as matrix_text.h describes it, one module at a time.
std::string ReferenceText(const ModuleGrid& g, int32_t quiet) {
  const int32_t w = g.width + 2 * quiet, h = g.height + 2 * quiet;
  const auto dark = [&](int32_t x, int32_t y) {
    x -= quiet;
    y -= quiet;
    return x >= 0 && y >= 0 && x < g.width && y < g.height && g.at(x, y);
  };
  std::string text;
  for (int32_t top = 0; top < h; top += kBlockHeight) {
    if (top) text += "\r\n";
    for (int32_t left = 0; left < w; left += kBlockWidth) {
      int bits = 0;
      for (int b = 0; b < kBlockWidth * kBlockHeight; ++b) {
        if (dark(left + b % kBlockWidth, top + b / kBlockWidth)) bits |= 1 << b;
      }
      text += kMatrixGlyphs[static_cast<size_t>(bits)];
    }
  }
  return text;
}

TEST(MatrixText, BlocksAgreeWithTheLayoutModuleByModule) {
  std::mt19937 rng(20261207);
  for (int32_t width = 1; width <= 14; ++width) {
    for (int32_t height = 1; height <= 10; ++height) {
      for (int32_t quiet = 0; quiet <= 5; ++quiet) {
        ModuleGrid grid(width, height);
        for (uint8_t& m : grid.dark) m = static_cast<uint8_t>(rng() & 1);
        FontString out("xy");  // appended after what is there
        AppendMatrixText(grid, quiet, out);
        const std::string want = "xy" + ReferenceText(grid, quiet);
        ASSERT_EQ(std::string(out.view()), want) << width << "x" << height << " quiet " << quiet;

        ModuleGrid back;
        ASSERT_TRUE(ReadMatrixText(std::string_view(want).substr(2), back));
        for (int32_t y = 0; y < height; ++y) {
          for (int32_t x = 0; x < width; ++x) {
            ASSERT_EQ(back.at(x + quiet, y + quiet), grid.at(x, y)) << x << "," << y;
          }
        }
      }
    }
  }
}

// Wide and tall grids: rows of several 64-bit words, lines whose last
// glyphs fall in a word's last bits, dark modules stored as any non-zero
// byte.
TEST(MatrixText, WideGridsAndAnyDarkByte) {
  std::mt19937 rng(24778);
  const uint8_t kDark[] = {1, 2, 0x80, 0xFF};
  for (const int32_t width : {15, 16, 17, 30, 31, 62, 63, 64, 65, 66, 126, 127, 128, 129, 151, 177, 190}) {
    for (const int32_t height : {1, 2, 3, 4, 5, 40, 177}) {
      for (const int32_t quiet : {0, 1, 2, 4}) {
        ModuleGrid grid(width, height);
        for (uint8_t& m : grid.dark) m = (rng() & 1) ? kDark[rng() % 4] : 0;
        FontString out;
        AppendMatrixText(grid, quiet, out);
        ASSERT_EQ(std::string(out.view()), ReferenceText(grid, quiet)) << width << "x" << height << " quiet " << quiet;
      }
    }
  }
}

}  // namespace
}  // namespace tavo::test
