// CopyInPieces (the WebAssembly build's copy) and FontString::append
// against the plain byte-by-byte result: every length up to past the
// short-copy sizes, at every alignment, with a guard on both sides of the
// destination.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "interface/font_string.h"

namespace {

TEST(CopyInPieces, CopiesExactlyTheBytesAtEveryLengthAndAlignment) {
  std::array<char, 64> src{};
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<char>(i * 37 + 1);
  for (size_t n = 0; n <= 48; ++n) {
    for (size_t from = 0; from < 8; ++from) {
      for (size_t to = 0; to < 8; ++to) {
        std::array<char, 80> dst;
        dst.fill('\xEE');
        tavo::CopyInPieces(dst.data() + 8 + to, src.data() + from, n);
        for (size_t i = 0; i < dst.size(); ++i) {
          const bool inside = i >= 8 + to && i < 8 + to + n;
          const char want = inside ? src[from + i - 8 - to] : '\xEE';
          ASSERT_EQ(dst[i], want) << "n " << n << ", from " << from << ", to " << to << ", byte " << i;
        }
      }
    }
  }
}

TEST(FontString, AppendsPiecesOfEveryLengthAcrossTheInlineRoom) {
  std::string piece;
  for (int i = 0; i < 40; ++i) piece.push_back(static_cast<char>('A' + i));
  tavo::FontString out;
  std::string want;
  for (size_t n = 0; want.size() < 3 * tavo::FontString::kInline; n = (n + 7) % 41) {
    out.append(std::string_view(piece).substr(0, n));
    want.append(piece, 0, n);
    ASSERT_EQ(out.view(), want) << "after a piece of " << n;
  }
}

}  // namespace
