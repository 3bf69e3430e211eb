// QR Code encoder: segments to codewords, blocks and their error
// correction, placement, masking, format and version information.
#include "symbologies/qr/qr.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <string>

#include "interface/errors.h"
#include "symbologies/gs1/gs1.h"
#include "symbologies/qr/qr_reed_solomon.h"
#include "symbologies/qr/qr_segments.h"

namespace tavo {
namespace {

// Writes the version information (version 7 and above).
void DrawVersion(int32_t version, ModuleGrid& grid) {
  if (version < 7) return;
  const int32_t size = grid.width;
  const uint32_t bits = QrVersionBits(version);
  for (int32_t i = 0; i < 18; ++i) {
    const bool d = (bits >> i & 1) != 0;
    grid.set(size - 11 + i % 3, i / 3, d);
    grid.set(i / 3, size - 11 + i % 3, d);
  }
}

// Places the codewords' bits, each codeword's most significant first, into
// the data modules in placement order; the remainder bits stay light.
void PlaceCodewords(const std::vector<uint8_t>& codewords, const ModuleGrid& function,
                    ModuleGrid& grid) {
  // Fewer than 8 remainder bits follow the codewords in every version.
  std::vector<uint8_t> bits(codewords.size() * 8 + 8, 0);
  for (size_t i = 0; i < codewords.size(); ++i) {
    const unsigned c = codewords[i];
    for (size_t b = 0; b < 8; ++b) bits[i * 8 + b] = static_cast<uint8_t>(c >> (7 - b) & 1);
  }
  const uint8_t* next = bits.data();
  uint8_t* dark = grid.dark.data();
  const size_t width = static_cast<size_t>(grid.width);
  QrForEachDataModule(function, [&](int32_t x, int32_t y) {
    dark[static_cast<size_t>(y) * width + static_cast<size_t>(x)] = *next++;
  });
}

// The data codewords of the bit stream: terminator, zero bits to a codeword
// boundary, then the pad codewords 11101100 and 00010001 in turn.
std::vector<uint8_t> PadCodewords(QrBitStream& stream, int32_t data_codewords) {
  const size_t capacity = static_cast<size_t>(data_codewords) * 8;
  stream.Append(0, static_cast<int32_t>(std::min<size_t>(4, capacity - stream.size())));
  std::vector<uint8_t>& bytes = stream.bytes();  // partial last byte is zero-filled
  for (uint8_t pad = 0xEC; bytes.size() < static_cast<size_t>(data_codewords); pad ^= 0xEC ^ 0x11) {
    bytes.push_back(pad);
  }
  return std::move(bytes);
}

// The ways of carrying `value` worth trying, at most three.  GS1 data
// (ASCII) goes with FNC1 first and no ECI.  Otherwise UTF-8 with bytes
// above 127 goes with ECI 26 and no Kanji mode (a reader takes Kanji mode
// after ECI 26 for no text: zbar 0.23 drops such a symbol).  With the Kanji
// option, text of JIS X 0208 and ASCII may also go without an ECI, every
// character above 127 in Kanji mode and the rest in the others (see
// QrEncoding::ascii_bytes), or with ECI 20 (Shift JIS), where byte mode
// carries such characters too, two bytes each (cheaper than a Kanji
// segment for one character among ASCII).  The shortest wins.  Any other
// value goes as its bytes.
size_t CandidateEncodings(std::string_view value, const QrOptions& options, QrEncoding (&out)[3]) {
  if (options.gs1) {
    out[0] = {.eci = 0, .fnc1 = true};
    return 1;
  }
  const bool utf8 = QrNeedsUtf8Eci(value);
  if (!options.kanji || !utf8) {
    out[0] = {.eci = utf8 ? kQrEciUtf8 : 0};
    return 1;
  }
  // Preferred among equals in this order.
  out[0] = {.eci = 0, .kanji = true, .ascii_bytes = true};
  out[1] = {.eci = kQrEciShiftJis, .kanji = true, .ascii_bytes = true, .sjis_bytes = true};
  out[2] = {.eci = kQrEciUtf8};
  return 3;
}

// The smallest version holding `value` at `level`, with its segments and
// how they are carried; 0 if none does.
int32_t ChooseVersion(std::string_view value, const QrOptions& options, QrEncoding& encoding,
                      std::vector<QrSegment>& segments) {
  constexpr int32_t kGroupLast[kQrVersionGroups] = {9, 26, 40};
  QrEncoding candidates[3];
  const size_t count = CandidateEncodings(value, options, candidates);
  int32_t version = 1;
  for (int32_t group = 0; group < kQrVersionGroups; ++group) {
    size_t bits = std::numeric_limits<size_t>::max();
    for (size_t k = 0; k < count; ++k) {
      size_t b = 0;
      std::vector<QrSegment> s = QrOptimalSegments(value, group, candidates[k], b);
      if (b < bits) {
        bits = b;
        segments = std::move(s);
        encoding = candidates[k];
      }
    }
    for (; version <= kGroupLast[group]; ++version) {
      if (bits <= static_cast<size_t>(QrBlockStructure(version, options.level).DataCodewords()) * 8) {
        return version;
      }
    }
  }
  return 0;
}

// The most data characters of a GS1 message in QR Code: the digits of
// version 40-L (numeric is the densest mode).  A longer message fits no
// version.
constexpr Gs1Limit kGs1QrLimit{7089, kTooLongForLargestSymbol, true};

}  // namespace

int32_t QrLevelFromCheck(int32_t check, QrLevel& level) {
  if (check < 0 || check > 4) return kInvalidCheckOption;
  level = check == 0 ? QrLevel::kM : static_cast<QrLevel>(check - 1);
  return kOk;
}

int32_t QrOptionsFromCheck(int32_t check, QrOptions& options) {
  if (check < 0 || (check & ~(kQrCheckLevelBits | kQrCheckGs1 | kQrCheckKanji)) != 0) return kInvalidCheckOption;
  if (int32_t rc = QrLevelFromCheck(check & kQrCheckLevelBits, options.level)) return rc;
  options.gs1 = (check & kQrCheckGs1) != 0;
  options.kanji = (check & kQrCheckKanji) != 0;
  return kOk;
}

std::vector<uint8_t> QrInterleaveBlocks(const std::vector<uint8_t>& data, int32_t version,
                                        QrLevel level) {
  const QrBlocks b = QrBlockStructure(version, level);
  // The last (total % blocks) blocks hold one data codeword more.
  const int32_t short_len = b.total_codewords / b.block_count - b.ecc_per_block;
  const int32_t short_blocks = b.block_count - b.total_codewords % b.block_count;
  std::vector<uint8_t> ecc(static_cast<size_t>(b.block_count) * b.ecc_per_block);
  std::vector<int32_t> start(static_cast<size_t>(b.block_count) + 1);
  for (int32_t k = 0; k < b.block_count; ++k) {
    start[k + 1] = start[k] + short_len + (k >= short_blocks ? 1 : 0);
    QrReedSolomonRemainder(
        std::span<const uint8_t>(data.data() + start[k], static_cast<size_t>(start[k + 1] - start[k])),
        std::span<uint8_t>(ecc.data() + static_cast<size_t>(k) * b.ecc_per_block,
                           static_cast<size_t>(b.ecc_per_block)));
  }
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(b.total_codewords));
  for (int32_t i = 0; i <= short_len; ++i) {
    for (int32_t k = 0; k < b.block_count; ++k) {
      if (i < start[k + 1] - start[k]) out.push_back(data[static_cast<size_t>(start[k] + i)]);
    }
  }
  for (int32_t i = 0; i < b.ecc_per_block; ++i) {
    for (int32_t k = 0; k < b.block_count; ++k) {
      out.push_back(ecc[static_cast<size_t>(k) * b.ecc_per_block + i]);
    }
  }
  return out;
}

int32_t QrDataCodewords(std::string_view value, const QrOptions& options, int32_t& version,
                        std::vector<uint8_t>& data) {
  // No version holds more than 7,089 characters (numeric, version 40-L).
  if (value.size() > 7089) return kTooLongForLargestSymbol;
  QrEncoding encoding;
  std::vector<QrSegment> segments;
  version = ChooseVersion(value, options, encoding, segments);
  if (version == 0) return kTooLongForLargestSymbol;
  QrBitStream stream;
  QrAppendSegments(value, segments, QrVersionGroup(version), encoding, stream);
  data = PadCodewords(stream, QrBlockStructure(version, options.level).DataCodewords());
  return kOk;
}

int32_t BuildQrSymbol(std::string_view value, const QrOptions& options, int32_t mask, QrSymbol& symbol) {
  const QrLevel level = options.level;
  int32_t version = 0;
  std::vector<uint8_t> data;
  if (int32_t rc = QrDataCodewords(value, options, version, data)) return rc;
  const std::vector<uint8_t> codewords = QrInterleaveBlocks(data, version, level);

  const int32_t size = QrSize(version);
  ModuleGrid grid(size, size), function(size, size);
  qr_tables::DrawFunctionPatterns(version, grid, function);
  PlaceCodewords(codewords, function, grid);

  DrawVersion(version, grid);
  if (mask < 0) mask = QrBestMask(grid, function, level);
  QrApplyMask(mask, function, grid);
  const uint32_t format = QrFormatBits(level, mask);
  QrForEachFormatModule(size, [&](int32_t x, int32_t y, int32_t bit, int32_t) {
    grid.set(x, y, format >> bit & 1);
  });
  symbol.version = version;
  symbol.level = level;
  symbol.mask = mask;
  symbol.modules = std::move(grid);
  return kOk;
}

// A GS1 value is in the bracketed form "(01)...(10)...": parsed and
// validated as for GS1 Data Matrix (the symbol's capacity is the limit),
// then carried as element strings with a group separator after each
// variable-length element that is not the last.
int32_t EncodeQr(std::string_view value, const Options& options, FontString& out) {
  QrOptions qr;
  if (int32_t rc = QrOptionsFromCheck(options.check_argument, qr)) return rc;
  std::string strings;
  if (qr.gs1) {
    Gs1Message message;
    if (int32_t rc = ParseGs1ElementStrings(value, message, kGs1QrLimit)) return rc;
    constexpr char kGs1_128Fnc1 = static_cast<char>(185);  // the parser's FNC1, first and between elements
    strings.assign(message.code128.view().substr(1));
    std::replace(strings.begin(), strings.end(), kGs1_128Fnc1, '\x1D');  // a group separator
    value = strings;
  }
  QrSymbol symbol;
  if (int32_t rc = BuildQrSymbol(value, qr, -1, symbol)) return rc;
  AppendMatrixText(symbol.modules, kQrQuietZone, out);
  return kOk;
}

}  // namespace tavo
