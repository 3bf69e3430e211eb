// ITF-14 pictures drawn by the model, bearer frame and all, read back by
// zbar (which reads the GTIN-14 as 14 digits of Interleaved 2 of 5), and
// the same data compared module for module with zint's ITF-14 (-b 89).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "scanner.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace tavo::scan {
namespace {

constexpr int kCount = 300;

std::string Translate(const std::string& value) {
  char out[64];
  int32_t len = 0;
  if (BC_FontTranslate(BC_SYM_ITF14, value.c_str(), 0, out, sizeof out, &len) != 0) return "";
  return std::string(out, static_cast<size_t>(len));
}

// The GTIN's check digit, worked out here: weights 3, 1 ... from the right.
char CheckDigit(std::string_view data) {
  int sum = 0;
  for (size_t r = 0; r < data.size(); ++r) sum += (r % 2 == 0 ? 3 : 1) * (data[data.size() - 1 - r] - '0');
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::vector<std::string> SeededValues(uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> values;
  for (int i = 0; i < kCount; ++i) {
    std::string v;
    for (int d = 0; d < 13; ++d) v += static_cast<char>('0' + rng() % 10);
    values.push_back(v);
  }
  return values;
}

// Pictures at 2 and 3 pixels a module, with and without the caption.
TEST(Itf14Scan, ZbarReadsTheModelsPictures) {
  const std::vector<std::string> values = SeededValues(140);
  PictureBatch batch("itf14");
  for (size_t i = 0; i < values.size(); ++i) {
    const Drawing drawing{.model = {.caption = i % 2 == 1}, .module = i % 3 == 0 ? 3.0 : 2.0};
    std::string error;
    ASSERT_TRUE(batch.Add(BC_SYM_ITF14, Translate(values[i]), drawing, error)) << values[i] << ": " << error;
  }
  std::vector<std::vector<Reading>> readings;
  std::string error;
  ASSERT_TRUE(batch.ScanWithZbar({"disable", "i25.enable"}, readings, error)) << error;
  int read = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string want = values[i] + CheckDigit(values[i]);
    const bool ok = readings[i].size() == 1 && readings[i][0].type == "I2/5" && readings[i][0].data == want;
    EXPECT_TRUE(ok) << values[i] << ": " << (readings[i].empty() ? "nothing" : readings[i][0].data);
    read += ok ? 1 : 0;
  }
  std::printf("[scan] ITF-14: %d of %zu pictures read as the GTIN-14\n", read, values.size());
}

// zint's dump holds the bars alone (no box, no quiet zones) with wide
// elements 3 modules wide; the model draws them 2.5 wide inside its frame.
// Counted as zint counts (wide = 3), the modules must be the same.
std::string ModulesAsZint(const model::Symbol& symbol) {
  std::string bits;
  const auto& e = symbol.elements;
  for (size_t i = 2; i + 2 < e.size(); ++i) bits.append(e[i].width > 1 ? 3 : 1, e[i].bar ? '1' : '0');
  return bits;
}

TEST(Itf14Scan, ModulesMatchZint) {
  int same = 0;
  for (const std::string& value : SeededValues(89)) {
    model::Symbol symbol;
    model::ModelError error;
    ASSERT_TRUE(model::BuildSymbol(BC_SYM_ITF14, Translate(value), {}, symbol, error)) << error.reason;
    const std::vector<std::string> rows = ZintRows("-b 89 -d " + value);
    ASSERT_EQ(rows.size(), 1u) << value;
    EXPECT_EQ(ModulesAsZint(symbol), rows[0]) << value;
    same += ModulesAsZint(symbol) == rows[0] ? 1 : 0;
  }
  std::printf("[scan] ITF-14: %d of %d symbols module for module as zint's\n", same, kCount);
}

}  // namespace
}  // namespace tavo::scan
