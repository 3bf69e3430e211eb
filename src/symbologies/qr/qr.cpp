// QR Code encoder: segments to codewords, blocks and their error
// correction, placement, masking, format and version information.
#include "symbologies/qr/qr.h"

#include <array>
#include <cstdlib>

#include "interface/errors.h"
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

// The smallest version holding `value` at `level`, with its segments; 0 if
// none does.
int32_t ChooseVersion(std::string_view value, QrLevel level, int32_t eci,
                      std::vector<QrSegment>& segments) {
  constexpr int32_t kGroupLast[kQrVersionGroups] = {9, 26, 40};
  int32_t version = 1;
  for (int32_t group = 0; group < kQrVersionGroups; ++group) {
    size_t bits = 0;
    segments = QrOptimalSegments(value, group, eci, bits);
    for (; version <= kGroupLast[group]; ++version) {
      if (bits <= static_cast<size_t>(QrBlockStructure(version, level).DataCodewords()) * 8) {
        return version;
      }
    }
  }
  return 0;
}

}  // namespace

int32_t QrLevelFromCheck(int32_t check, QrLevel& level) {
  if (check < 0 || check > 4) return kInvalidCheckOption;
  level = check == 0 ? QrLevel::kM : static_cast<QrLevel>(check - 1);
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

int32_t QrDataCodewords(std::string_view value, QrLevel level, int32_t& version,
                        std::vector<uint8_t>& data) {
  // No version holds more than 7,089 characters (numeric, version 40-L).
  if (value.size() > 7089) return kTooLongForLargestSymbol;
  const int32_t eci = QrNeedsUtf8Eci(value) ? kQrEciUtf8 : 0;
  std::vector<QrSegment> segments;
  version = ChooseVersion(value, level, eci, segments);
  if (version == 0) return kTooLongForLargestSymbol;
  QrBitStream stream;
  QrAppendSegments(value, segments, QrVersionGroup(version), eci, stream);
  data = PadCodewords(stream, QrBlockStructure(version, level).DataCodewords());
  return kOk;
}

int32_t BuildQrSymbol(std::string_view value, QrLevel level, int32_t mask, QrSymbol& symbol) {
  int32_t version = 0;
  std::vector<uint8_t> data;
  if (int32_t rc = QrDataCodewords(value, level, version, data)) return rc;
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

int32_t EncodeQr(std::string_view value, const Options& options, FontString& out) {
  QrLevel level;
  if (int32_t rc = QrLevelFromCheck(options.check_argument, level)) return rc;
  QrSymbol symbol;
  if (int32_t rc = BuildQrSymbol(value, level, -1, symbol)) return rc;
  AppendMatrixText(symbol.modules, kQrQuietZone, out);
  return kOk;
}

}  // namespace tavo
