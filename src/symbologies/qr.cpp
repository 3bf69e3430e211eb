// QR Code: version and level, function patterns, codeword placement,
// masking, format and version information.
#include "symbologies/qr.h"

#include <array>
#include <cstdlib>

#include "interface/errors.h"
#include "symbologies/qr_reed_solomon.h"
#include "symbologies/qr_segments.h"

namespace tavo {
namespace {

// Error correction codewords per block, by level (L, M, Q, H) and version.
constexpr std::array<std::array<int8_t, kQrMaxVersion + 1>, 4> kEccPerBlock{{
    {0, 7, 10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0, 13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
}};

// Error correction blocks, by level (L, M, Q, H) and version.
constexpr std::array<std::array<int8_t, kQrMaxVersion + 1>, 4> kBlockCount{{
    {0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 4, 4, 4, 4, 4, 6, 6, 6, 6, 7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0, 1, 1, 1, 2, 2, 4, 4, 4, 5, 5, 5, 8, 9, 9, 10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0, 1, 1, 2, 2, 4, 4, 6, 6, 8, 8, 8, 10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0, 1, 1, 2, 4, 4, 4, 5, 6, 8, 8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
}};

// Format information level indicators: L 01, M 00, Q 11, H 10.
constexpr uint32_t kLevelIndicator[4] = {1, 0, 3, 2};

// Modules of a version that carry codewords: the whole square less the
// function patterns.
constexpr int32_t RawDataModules(int32_t version) {
  int32_t modules = (16 * version + 128) * version + 64;
  if (version >= 2) {
    const int32_t align = version / 7 + 2;
    modules -= (25 * align - 10) * align - 55;
    if (version >= 7) modules -= 36;
  }
  return modules;
}
static_assert(RawDataModules(1) == 208 && RawDataModules(40) == 29648);

// Centre coordinates of the alignment patterns of a version (both axes).
int32_t AlignmentPositions(int32_t version, std::array<int32_t, 7>& pos) {
  if (version == 1) return 0;
  const int32_t count = version / 7 + 2;
  const int32_t step = (version * 8 + count * 3 + 5) / (count * 4 - 4) * 2;
  pos[0] = 6;
  for (int32_t i = count - 1, p = QrSize(version) - 7; i >= 1; --i, p -= step) pos[i] = p;
  return count;
}

// Remainder of `value` (already shifted) divided by the BCH generator.
constexpr uint32_t BchRemainder(uint32_t value, uint32_t generator, int32_t degree) {
  for (int32_t bit = 31; bit >= degree; --bit) {
    if (value >> bit & 1) value ^= generator << (bit - degree);
  }
  return value;
}

// Function patterns drawn into `grid` (dark modules) and marked in
// `function`; format and version areas are reserved, drawn later.
class FunctionPainter {
 public:
  FunctionPainter(ModuleGrid& grid, ModuleGrid& function) : grid_(grid), function_(function) {}
  void Set(int32_t x, int32_t y, bool dark) {
    grid_.set(x, y, dark);
    function_.set(x, y, true);
  }
  // A finder pattern with its separator, centred on (cx, cy).
  void Finder(int32_t cx, int32_t cy) {
    const int32_t size = grid_.width;
    for (int32_t dy = -4; dy <= 4; ++dy) {
      for (int32_t dx = -4; dx <= 4; ++dx) {
        const int32_t x = cx + dx, y = cy + dy;
        if (x < 0 || y < 0 || x >= size || y >= size) continue;
        const int32_t d = std::max(std::abs(dx), std::abs(dy));
        Set(x, y, d != 2 && d != 4);
      }
    }
  }
  void Alignment(int32_t cx, int32_t cy) {
    for (int32_t dy = -2; dy <= 2; ++dy) {
      for (int32_t dx = -2; dx <= 2; ++dx) {
        Set(cx + dx, cy + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
      }
    }
  }

 private:
  ModuleGrid& grid_;
  ModuleGrid& function_;
};

// Draws every function pattern of `version` into `grid`.
void DrawFunctionPatterns(int32_t version, ModuleGrid& grid, ModuleGrid& function) {
  const int32_t size = QrSize(version);
  FunctionPainter paint(grid, function);
  for (int32_t i = 0; i < size; ++i) {
    paint.Set(6, i, i % 2 == 0);
    paint.Set(i, 6, i % 2 == 0);
  }
  paint.Finder(3, 3);
  paint.Finder(size - 4, 3);
  paint.Finder(3, size - 4);
  std::array<int32_t, 7> pos{};
  const int32_t n = AlignmentPositions(version, pos);
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < n; ++j) {
      const bool corner = (i == 0 && j == 0) || (i == 0 && j == n - 1) || (i == n - 1 && j == 0);
      if (!corner) paint.Alignment(pos[i], pos[j]);
    }
  }
  // Reserve the format and version areas (drawn once the mask is chosen).
  for (int32_t i = 0; i < 9; ++i) {
    if (i != 6) {
      paint.Set(8, i, false);
      paint.Set(i, 8, false);
    }
  }
  for (int32_t i = 0; i < 8; ++i) {
    paint.Set(size - 1 - i, 8, false);
    paint.Set(8, size - 1 - i, false);
  }
  paint.Set(8, size - 8, true);  // the dark module
  if (version >= 7) {
    for (int32_t i = 0; i < 18; ++i) {
      paint.Set(size - 11 + i % 3, i / 3, false);
      paint.Set(i / 3, size - 11 + i % 3, false);
    }
  }
}

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

QrBlocks QrBlockStructure(int32_t version, QrLevel level) {
  const auto l = static_cast<size_t>(level);
  return {RawDataModules(version) / 8, kBlockCount[l][version], kEccPerBlock[l][version]};
}

ModuleGrid QrFunctionModules(int32_t version) {
  ModuleGrid grid(QrSize(version), QrSize(version));
  ModuleGrid function(QrSize(version), QrSize(version));
  DrawFunctionPatterns(version, grid, function);
  return function;
}

uint32_t QrFormatBits(QrLevel level, int32_t mask) {
  const uint32_t data = kLevelIndicator[static_cast<int>(level)] << 3 | static_cast<uint32_t>(mask);
  return (data << 10 | BchRemainder(data << 10, 0x537, 10)) ^ 0x5412;
}

uint32_t QrVersionBits(int32_t version) {
  const auto v = static_cast<uint32_t>(version);
  return v << 12 | BchRemainder(v << 12, 0x1F25, 12);
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
  DrawFunctionPatterns(version, grid, function);
  size_t i = 0;
  const size_t bit_count = codewords.size() * 8;
  QrForEachDataModule(function, [&](int32_t x, int32_t y) {
    if (i < bit_count) grid.set(x, y, codewords[i >> 3] >> (7 - (i & 7)) & 1);
    ++i;  // remainder bits stay light
  });

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

int32_t EncodeQr(std::string_view value, int32_t check, FontString& out) {
  QrLevel level;
  if (int32_t rc = QrLevelFromCheck(check, level)) return rc;
  QrSymbol symbol;
  if (int32_t rc = BuildQrSymbol(value, level, -1, symbol)) return rc;
  AppendMatrixText(symbol.modules, kQrQuietZone, out);
  return kOk;
}

}  // namespace tavo
