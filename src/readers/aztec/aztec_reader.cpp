// Aztec Code read back from its modules (see aztec_reader.h).
#include "readers/aztec/aztec_reader.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <string_view>

#include "readers/matrix/reed_solomon_correct.h"
#include "symbologies/aztec/aztec_fields.h"

namespace tavo {
namespace {

namespace rs = reed_solomon;

// Corrects `words` (data then check words) in the field of `word_bits`.
int32_t CorrectIn(std::vector<uint16_t>& words, int32_t check_words, int32_t word_bits) {
  auto run = [&](const auto& field) {
    using T = typename std::decay_t<decltype(field)>::Element;
    std::vector<T> block(words.begin(), words.end());
    const int32_t fixed = rs::Correct(field, std::span<T>(block), check_words, kAztecFirstRoot);
    if (fixed >= 0) std::copy(block.begin(), block.end(), words.begin());
    return fixed;
  };
  switch (word_bits) {
    case 4: return run(kAztecGf16);
    case 6: return run(kAztecGf64);
    case 8: return run(kAztecGf256);
    case 10: return run(kAztecGf1024);
    default: return run(kAztecGf4096);
  }
}

// The words of `bits` modules, `word_bits` each, from bit `first`.
std::vector<uint16_t> WordsAt(const ModuleGrid& g, const std::vector<AztecModule>& modules, size_t first,
                              int32_t word_bits, size_t count) {
  std::vector<uint16_t> words(count, 0);
  for (size_t w = 0; w < count; ++w) {
    for (int32_t b = 0; b < word_bits; ++b) {
      const AztecModule& m = modules[first + w * static_cast<size_t>(word_bits) + static_cast<size_t>(b)];
      words[w] = static_cast<uint16_t>(words[w] << 1 | (g.at(m.x, m.y) ? 1 : 0));
    }
  }
  return words;
}

// Reads and corrects the mode message; false when it cannot be mended or
// names another number of layers than the width shows.
bool ReadModeMessage(const ModuleGrid& g, AztecReading& r) {
  const AztecSize& size = r.size;
  std::vector<uint16_t> words = WordsAt(g, AztecModeMessageModules(size), 0, 4, static_cast<size_t>(size.ModeMessageWords()));
  const int32_t data = size.ModeMessageDataWords();
  r.mode_corrected = CorrectIn(words, size.ModeMessageWords() - data, 4);
  if (r.mode_corrected < 0) {
    r.error = "the mode message is damaged beyond correction";
    return false;
  }
  uint32_t value = 0;
  for (int32_t k = 0; k < data; ++k) value = value << 4 | words[static_cast<size_t>(k)];
  const int32_t count_bits = size.compact ? 6 : 11;
  const auto layers = static_cast<int32_t>(value >> count_bits) + 1;
  r.data_words = static_cast<int32_t>(value & ((1u << count_bits) - 1)) + 1;
  if (layers != size.layers) {
    r.error = "the mode message says " + std::to_string(layers) + " layers, the symbol has " +
              std::to_string(size.layers);
    return false;
  }
  if (r.data_words > size.TotalWords()) {
    r.error = "the mode message says " + std::to_string(r.data_words) + " data words, the symbol holds " +
              std::to_string(size.TotalWords());
    return false;
  }
  return true;
}

// The data words' bits, each stuffed bit dropped; false on a word of all 0s
// or all 1s, which stuffing never writes.
bool Unstuff(const std::vector<uint16_t>& words, int32_t data_words, int32_t word_bits, std::vector<uint8_t>& bits) {
  const uint32_t all = (1u << word_bits) - 1;
  for (int32_t w = 0; w < data_words; ++w) {
    const uint32_t word = words[static_cast<size_t>(w)];
    if (word == 0 || word == all) return false;
    const int32_t keep = (word == 1 || word == all - 1) ? word_bits - 1 : word_bits;
    for (int32_t b = 0; b < keep; ++b) bits.push_back(static_cast<uint8_t>((word >> (word_bits - 1 - b)) & 1));
  }
  return true;
}

}  // namespace

std::vector<AztecSize> AztecSizesOfWidth(int32_t width) {
  std::vector<AztecSize> out;
  for (int32_t number = 1; number <= kAztecSizes; ++number) {
    if (AztecSizeOf(number).Width() == width) out.push_back(AztecSizeOf(number));
  }
  return out;
}

std::vector<AztecPatternDamage> AztecPatternDamages(const AztecSize& size, const ModuleGrid& symbol) {
  const int32_t c = size.Width() / 2, r = size.BullseyeRadius();
  std::vector<AztecPatternDamage> out;
  for (const char* pattern : {"bullseye", "orientation marks", "reference grid"}) {
    AztecPatternDamage d{pattern, 0, 0, 0};
    for (const AztecFixedModule& f : AztecFixedModules(size)) {
      const int32_t dist = std::max(std::abs(f.x - c), std::abs(f.y - c));
      const std::string_view of = dist < r ? "bullseye" : dist == r ? "orientation marks" : "reference grid";
      if (of != std::string_view(pattern) || symbol.at(f.x, f.y) == f.dark) continue;
      if (d.modules++ == 0) d.row = f.y, d.column = f.x;
    }
    if (d.modules > 0) out.push_back(d);
  }
  return out;
}

bool DecodeAztecSymbol(const ModuleGrid& symbol, AztecReading& r) {
  const std::vector<AztecSize> sizes = AztecSizesOfWidth(symbol.width);
  if (sizes.empty() || symbol.height != symbol.width) {
    r.error = "no Aztec Code symbol is " + std::to_string(symbol.width) + " x " + std::to_string(symbol.height) +
              " modules";
    return false;
  }
  // Where two sizes share a width, the bullseye tells them apart: the one
  // whose fixed modules the symbol matches best.
  r.size = sizes.front();
  size_t best = SIZE_MAX;
  for (const AztecSize& s : sizes) {
    size_t wrong = 0;
    for (const AztecPatternDamage& d : AztecPatternDamages(s, symbol)) wrong += static_cast<size_t>(d.modules);
    if (wrong < best) best = wrong, r.size = s;
  }
  if (!ReadModeMessage(symbol, r)) return false;
  const AztecSize& size = r.size;
  const int32_t wb = size.WordBits(), total = size.TotalWords();
  std::vector<uint16_t> words = WordsAt(symbol, AztecLayerModules(size), static_cast<size_t>(size.LayerBits() % wb), wb,
                                        static_cast<size_t>(total));
  r.corrected = CorrectIn(words, total - r.data_words, wb);
  if (r.corrected < 0) {
    r.error = "the codewords are damaged beyond correction";
    return false;
  }
  std::vector<uint8_t> bits;
  if (!Unstuff(words, r.data_words, wb, bits)) {
    r.error = "a data word of all 0s or all 1s, which bit stuffing never writes";
    return false;
  }
  if (AztecDecodation(bits, r)) return true;
  r.error = "the data bits end inside a binary shift or FLG(n), or name a reserved FLG(7)";
  return false;
}

}  // namespace tavo
