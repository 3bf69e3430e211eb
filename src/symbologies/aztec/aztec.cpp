// Aztec Code as font text: the encoder the registry calls.  It reads the
// `check` argument, encodes the value once, and takes the first size (in
// zint's --vers order: compact 1-4, then full-range 1-32) whose codewords
// hold the stuffed bits with the error correction asked for.
#include <array>
#include <optional>
#include <utility>

#include "symbologies/aztec/aztec.h"
#include "symbologies/encoders.h"
#include "symbologies/qr/qr_segments.h"

namespace tavo {
namespace {

struct AztecRequest {
  int32_t ec_percent = kAztecDefaultEcPercent;
  int32_t size = 0;  // 0: the smallest; else zint's --vers number
};

// check = ec_percent + 128 * size (aztec.h); false for values outside them.
bool AztecRequestOf(int32_t check, AztecRequest& out) {
  if (check < 0) return false;
  const int32_t ec = check % 128, size = check / 128;
  if ((ec != 0 && (ec < 5 || ec > 95)) || size > kAztecSizes) return false;
  out.size = size;
  out.ec_percent = ec != 0 ? ec : size != 0 ? 0 : kAztecDefaultEcPercent;
  return true;
}

// The stuffed data words at each codeword size (6, 8, 10, 12 bits), each
// cut when first asked for.
class StuffedWords {
 public:
  explicit StuffedWords(const AztecBits& bits) : bits_(bits) {}
  const std::vector<uint16_t>& At(int32_t word_bits) {
    std::optional<std::vector<uint16_t>>& slot = cut_[static_cast<size_t>(word_bits / 2 - 3)];
    if (!slot) {
      slot = AztecDataWords(bits_, word_bits);
      // An empty value still has one data word: padding, read as nothing.
      if (slot->empty()) slot->push_back(static_cast<uint16_t>((1u << word_bits) - 2));
    }
    return *slot;
  }
  // The words at a size, taken: the last use of them.
  std::vector<uint16_t> Take(int32_t word_bits) { return std::move(*cut_[static_cast<size_t>(word_bits / 2 - 3)]); }

 private:
  const AztecBits& bits_;
  std::array<std::optional<std::vector<uint16_t>>, 4> cut_;
};

// More characters than any symbol holds: the largest has 1664 words of 12
// bits, 3 of them check words at the least, and the densest code is a Punct
// pair, 5 bits for 2 characters.  A longer value is refused before the
// search, whose memory and costs grow with the value.
constexpr size_t kMostCharacters =
    static_cast<size_t>(2 * (AztecSizeOf(kAztecSizes).TotalWords() - kAztecEcExtraWords) * 12 / 5);
static_assert(kMostCharacters == 7972);

bool Fits(const AztecSize& size, int32_t data_words, int32_t ec_percent) {
  return data_words <= size.MaxDataWords() && data_words + AztecMinEccWords(size, ec_percent) <= size.TotalWords();
}

}  // namespace

int32_t EncodeAztec(std::string_view value, const Options& options, FontString& out) {
  AztecRequest request;
  if (!AztecRequestOf(options.check_argument, request)) return kInvalidCheckOption;
  if (value.size() > kMostCharacters) return kTooLongForLargestSymbol;
  AztecBits bits;
  AztecEncodation(value, QrNeedsUtf8Eci(value), bits);
  StuffedWords stuffed(bits);
  const int32_t first = request.size ? request.size : 1, last = request.size ? request.size : kAztecSizes;
  for (int32_t number = first; number <= last; ++number) {
    const AztecSize size = AztecSizeOf(number);
    // More bits than all the size's codewords hold never fit it, whatever
    // the stuffing: they are not cut into words in vain.
    if (bits.size() > static_cast<size_t>(size.TotalWords() * size.WordBits())) continue;
    const auto data_words = static_cast<int32_t>(stuffed.At(size.WordBits()).size());
    if (!Fits(size, data_words, request.ec_percent)) continue;
    std::vector<uint16_t> words = stuffed.Take(size.WordBits());
    AztecAppendEcc(words, size.TotalWords(), size.WordBits());
    AztecAppendSymbolText(size, words, data_words, out);
    return kOk;
  }
  return kTooLongForLargestSymbol;
}

}  // namespace tavo
