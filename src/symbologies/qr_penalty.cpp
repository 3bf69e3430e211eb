// QR Code mask evaluation: the four penalty rules over a finished symbol.
#include <cstdlib>
#include <vector>

#include "symbologies/qr.h"

namespace tavo {
namespace {

constexpr int32_t kRunPenalty = 3;      // run of 5 same-colour modules, +1 per extra module
constexpr int32_t kBlockPenalty = 3;    // 2 x 2 block of one colour
constexpr int32_t kFinderPenalty = 40;  // 1:1:3:1:1 dark-light pattern beside 4 light modules
constexpr int32_t kBalancePenalty = 10; // per 5 % of dark modules away from half

// Whether modules [from, to) of the line are all light; modules outside the
// symbol count as light.
bool LightSpan(const uint8_t* line, int32_t n, int32_t from, int32_t to) {
  for (int32_t i = std::max(from, 0); i < std::min(to, n); ++i) {
    if (line[i]) return false;
  }
  return true;
}

// Rules 1 and 3 over one row or column.
int32_t LinePenalty(const uint8_t* line, int32_t n) {
  int32_t penalty = 0;
  int32_t run = 1;
  for (int32_t i = 1; i <= n; ++i) {
    if (i < n && line[i] == line[i - 1]) {
      ++run;
      continue;
    }
    if (run >= 5) penalty += kRunPenalty + run - 5;
    run = 1;
  }
  for (int32_t i = 0; i + 7 <= n; ++i) {
    const uint8_t* p = line + i;
    if (p[0] && !p[1] && p[2] && p[3] && p[4] && !p[5] && p[6] &&
        (LightSpan(line, n, i - 4, i) || LightSpan(line, n, i + 7, i + 11))) {
      penalty += kFinderPenalty;
    }
  }
  return penalty;
}

}  // namespace

int32_t QrPenalty(const ModuleGrid& modules) {
  const int32_t size = modules.width;
  const uint8_t* m = modules.dark.data();
  int32_t penalty = 0;
  std::vector<uint8_t> column(static_cast<size_t>(size));
  int32_t dark = 0;
  for (int32_t y = 0; y < size; ++y) {
    const uint8_t* row = m + static_cast<size_t>(y) * size;
    penalty += LinePenalty(row, size);
    for (int32_t x = 0; x < size; ++x) dark += row[x];
    if (y + 1 == size) continue;
    const uint8_t* below = row + size;
    for (int32_t x = 0; x + 1 < size; ++x) {
      const uint8_t c = row[x];
      if (row[x + 1] == c && below[x] == c && below[x + 1] == c) penalty += kBlockPenalty;
    }
  }
  for (int32_t x = 0; x < size; ++x) {
    for (int32_t y = 0; y < size; ++y) column[y] = m[static_cast<size_t>(y) * size + x];
    penalty += LinePenalty(column.data(), size);
  }
  // Whole steps of 5 % that the dark proportion lies away from 50 %.
  const int32_t total = size * size;
  const int32_t k = std::abs(dark * 20 - total * 10) / total;
  return penalty + k * kBalancePenalty;
}

}  // namespace tavo
