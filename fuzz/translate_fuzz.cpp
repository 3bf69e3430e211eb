// Fuzzes BC_FontTranslate over every symbology code, in range and out, with
// arbitrary values, check options and capacities.  Checks, besides the
// sanitizers: a success writes at most the capacity, only code points the
// symbology's encoder may emit, and stops at the length; an error writes
// nothing at all; and the bytes after the value's NUL never matter.
#include <array>
#include <bitset>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "fuzz_support.h"
#include "tavo32.h"

namespace {

using Range = std::pair<int, int>;  // inclusive byte range

std::bitset<256> Set(std::initializer_list<Range> ranges) {
  std::bitset<256> s;
  for (auto [lo, hi] : ranges) {
    for (int b = lo; b <= hi; ++b) s.set(static_cast<size_t>(b));
  }
  return s;
}

// The code points each symbology's encoder may emit, by symbology code.
constexpr size_t kCodes = 31;  // 0..30; codes without a symbology emit nothing

const std::array<std::bitset<256>, kCodes>& EmittedCodePoints() {
  static const auto upc_ean = Set({{33, 43}, {48, 57}, {60, 62}, {64, 126}, {161, 180}});
  static const auto code128 = Set({{33, 125}, {130, 140}, {145, 156}, {161, 234}, {236, 252}});
  // The 64 block or run glyphs of the module-grid faces, CR LF between lines.
  static const auto grid = Set({{'A', 'Z'}, {'a', 'z'}, {'0', '9'}, {'#', '#'}, {'%', '%'}, {'\r', '\r'}, {'\n', '\n'}});
  static const std::array<std::bitset<256>, kCodes> kSets = {
      // 0: the 43 Code 39 characters ("_" for space) and "*"
      Set({{'0', '9'}, {'A', 'Z'}, {'-', '.'}, {'_', '_'}, {'$', '$'}, {'/', '/'}, {'+', '+'},
           {'%', '%'}, {'*', '*'}}),
      // 1: printable ASCII but "*", the moved control characters, start ` and stop ~
      Set({{33, 41}, {43, 126}, {0x82, 0x8C}, {0x91, 0x9C}, {0xA1, 0xA3}, {0xA5, 0xAF}}),
      // 2: digit pairs, start 0x97, stop 0x98
      Set({{146, 152}, {161, 255}}),
      // 3: data characters, start A-D, stop a-d
      Set({{'0', '9'}, {'-', '-'}, {'$', '$'}, {':', ':'}, {'/', '/'}, {'.', '.'}, {'+', '+'},
           {'A', 'D'}, {'a', 'd'}}),
      // 4: start `, digits, stop ~
      Set({{'`', '`'}, {'0', '9'}, {'~', '~'}}),
      // 5: ASCII 0..32 at +48, shifts, start, stop, ASCII 33..127 at +128
      Set({{48, 80}, {121, 126}, {161, 255}}),
      upc_ean, upc_ean,
      // 8: frame bars and digits
      Set({{'*', '*'}, {'0', '9'}}),
      upc_ean, upc_ean,
      // 11: Code 128 font codes; 12: GS1-128 in the same font
      code128, code128,
      // 13: Intelligent Mail bars: ascender, descender, full, tracker
      Set({{'A', 'A'}, {'D', 'D'}, {'F', 'F'}, {'T', 'T'}}),
      // 14: QR Code: the 64 block glyphs and CR LF between lines
      Set({{'A', 'Z'}, {'a', 'z'}, {'0', '9'}, {'#', '#'}, {'%', '%'}, {'\r', '\r'}, {'\n', '\n'}}),
      // 15: Data Matrix, the 64 block glyphs and CR LF between lines
      Set({{'A', 'Z'}, {'a', 'z'}, {'0', '9'}, {'#', '#'}, {'%', '%'}, {'\r', '\r'}, {'\n', '\n'}}),
      // 16..19: the full GTINs in the UPC/EAN/JAN font
      upc_ean, upc_ean, upc_ean, upc_ean,
      // 20: ITF-14: the Interleaved 2 of 5 pairs, start, stop, and the frames 0x99 0x9A
      Set({{146, 154}, {161, 255}}),
      // 21: GS1 DataBar in its run glyphs; 22: never a symbology; 23..27: the
      // other DataBar forms
      grid, {}, grid, grid, grid, grid, grid,
      // 28: PDF417 in the run glyphs of its face; 29: MicroPDF417 in the same face;
      // 30: Aztec Code, the block glyphs
      grid, grid, grid,
  };
  return kSets;
}

// Narrows most symbology selectors to the interesting range -2..31.
int32_t PickSymbology(uint8_t selector, int32_t raw) {
  return selector < 240 ? static_cast<int32_t>(selector % 34) - 2 : raw;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavo::fuzz::Reader in(data, size);
  const uint8_t sym_sel = in.Byte();
  const int32_t symbology = PickSymbology(sym_sel, in.Int32());
  const int32_t check = static_cast<int8_t>(in.Byte());
  const uint8_t cap_sel = in.Byte();
  const int32_t capacity = tavo::fuzz::PickCapacity(cap_sel, in.Int32());
  const std::string value = in.Rest();  // may hold NULs: the value ends at the first

  const size_t room = capacity <= 0 ? 0 : static_cast<size_t>(capacity);
  tavo::fuzz::GuardedBuffer buf(room);
  int32_t len = -12345;
  const int32_t rc = BC_FontTranslate(symbology, value.c_str(), check, buf.data(), capacity, &len);

  if (rc != 0) {
    if (len != -12345 || !buf.UntouchedFrom(0)) std::abort();  // an error wrote something
  } else {
    // Only a symbology with code points of its own may succeed.
    if (symbology < 0 || static_cast<size_t>(symbology) >= EmittedCodePoints().size() ||
        EmittedCodePoints()[static_cast<size_t>(symbology)].none()) {
      std::abort();
    }
    if (symbology == BC_SYM_IMB && len != 65) std::abort();  // always 65 bars
    if (symbology == BC_SYM_ITF14 && len != 11) std::abort();  // frames, start, 7 pairs, stop
    if (len < 0 || len > capacity || !buf.UntouchedFrom(static_cast<size_t>(len))) std::abort();
    const auto& allowed = EmittedCodePoints()[static_cast<size_t>(symbology)];
    if (allowed.none()) std::abort();  // a code this fuzzer does not know translated
    for (int32_t i = 0; i < len; ++i) {
      if (!allowed.test(static_cast<unsigned char>(buf.data()[i]))) std::abort();
    }
  }

  // GS1-128: the human-readable export validates exactly as code 12 does, so
  // it fails with the same code or succeeds where code 12 did (a too-small
  // capacity aside); its text never holds more bytes than the value.
  if (symbology == 12 && rc != BC_FONT_ERR_TOO_MANY_CHARACTERS) {
    const std::string cut(value.c_str());
    std::string text(cut.size() + 1, '\0');
    int32_t text_len = -1;
    const int32_t hr = BC_GS1HumanReadable(cut.c_str(), text.data(), static_cast<int32_t>(text.size()),
                                           &text_len);
    if (hr != rc) std::abort();
    if (hr == 0 && (text_len <= 0 || static_cast<size_t>(text_len) > cut.size())) std::abort();
  }

  // The same value cut at its NUL, with no bytes after it, must give the same
  // answer.  (The second call reuses the guarded memory, so keep the first result.)
  const std::string cut(value.c_str());
  if (cut.size() != value.size()) {
    const std::string first = rc == 0 ? std::string(buf.data(), static_cast<size_t>(len)) : "";
    tavo::fuzz::GuardedBuffer again(room);
    int32_t len2 = -12345;
    const int32_t rc2 = BC_FontTranslate(symbology, cut.c_str(), check, again.data(), capacity, &len2);
    if (rc2 != rc || len2 != len) std::abort();
    if (rc == 0 && first != std::string(again.data(), static_cast<size_t>(len2))) std::abort();
  }
  return 0;
}
