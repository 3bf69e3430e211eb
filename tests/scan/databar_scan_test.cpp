// GS1 DataBar: seeded GTINs of every form drawn from the model and read by
// zbar (Omnidirectional, Truncated, Stacked and Stacked Omnidirectional:
// zbar reads no Limited), compared module for module with zint's symbols of
// the same GTIN (all five), and read back by the model's own reader, which
// recomputes the finder pair's or the check character's checksum.  zbar
// reads each picture in a run of its own: its DataBar decoder keeps the
// halves it has seen from one picture to the next, and pairs a Stacked
// symbol's row with another picture's row.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "databar/expanded_values.h"
#include "scanner.h"
#include "symbologies/codes.h"
#include "tavo_model.h"
#include "test_support.h"

namespace tavo::scan {
namespace {

using namespace tavo::symbology;

struct DatabarForm {
  int32_t code;
  int32_t check;      // 1: Truncated
  const char* zint;   // zint's symbology
  bool zbar;          // zbar reads it
  const char* name;
};

constexpr DatabarForm kDatabarForms[] = {
    {kDatabar, 0, "29", true, "Omnidirectional"},
    {kDatabar, 1, "29", true, "Truncated"},
    {kDatabarStacked, 0, "79", true, "Stacked"},
    {kDatabarStackedOmni, 0, "80", true, "Stacked Omnidirectional"},
    {kDatabarLimited, 0, "30", false, "Limited"},
};

constexpr size_t kValues = 300;

// Seeded GTIN-14s with their check digit; Limited's indicator 0 or 1.
std::vector<std::string> SeededGtins(uint32_t seed, bool limited) {
  std::mt19937 rng(seed);
  std::vector<std::string> out;
  for (size_t i = 0; i < kValues; ++i) {
    std::string digits = tavo::test::RandomDigits(rng, 13);
    if (limited) digits[0] = rng() % 2 ? '1' : '0';
    int sum = 0;
    for (size_t d = 0; d < 13; ++d) sum += (digits[d] - '0') * (d % 2 == 0 ? 3 : 1);
    out.push_back(digits + static_cast<char>('0' + (10 - sum % 10) % 10));
  }
  return out;
}

// The text's module rows, each run of equal rows once, the light filler
// after the symbol dropped as zint's dump drops it.
std::vector<std::string> DistinctRows(std::string_view text) {
  static constexpr std::string_view kGlyphs = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789#%";
  std::vector<std::string> rows;
  std::string row;
  auto flush = [&] {
    row.erase(row.find_last_of('1') + 1);
    if (rows.empty() || rows.back() != row) rows.push_back(row);
    row.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      flush();
      ++i;
      continue;
    }
    const size_t bits = kGlyphs.find(text[i]);
    for (int m = 0; m < 6; ++m) row += bits >> m & 1 ? '1' : '0';
  }
  flush();
  return rows;
}

TEST(ScanDatabar, SeededGtinsMatchZintAndReadBack) {
  for (const DatabarForm& f : kDatabarForms) {
    SCOPED_TRACE(f.name);
    const std::vector<std::string> gtins = SeededGtins(20261208 + static_cast<uint32_t>(f.code), f.code == kDatabarLimited);
    size_t same = 0, consistent = 0, read = 0;
    for (const std::string& gtin : gtins) {
      const auto t = tavo::test::Translate(f.code, gtin, f.check, 1000);
      ASSERT_EQ(t.rc, 0) << gtin;
      std::vector<std::string> zint = ZintRows("-b " + std::string(f.zint) + " -d " + gtin);
      std::vector<std::string> zint_distinct;
      for (const std::string& r : zint) {
        if (zint_distinct.empty() || zint_distinct.back() != r) zint_distinct.push_back(r);
      }
      const bool match = DistinctRows(t.bytes) == zint_distinct;
      EXPECT_TRUE(match) << gtin << ": the rows differ from zint's";
      same += match ? 1 : 0;
      model::Reading reading;
      model::ModelError error;
      ASSERT_TRUE(model::ReadSymbol(f.code, t.bytes, reading, error)) << gtin << ": " << error.reason;
      const bool ok = reading.Consistent() && reading.data == "(01)" + gtin;
      EXPECT_TRUE(ok) << gtin << ": the model read \"" << reading.data << "\"";
      consistent += ok ? 1 : 0;
      if (!f.zbar) continue;
      PictureBatch batch(std::string("databar-") + f.zint);
      std::string why;
      ASSERT_TRUE(batch.Add(f.code, t.bytes, {.model = {}, .module = 2.0 + static_cast<double>(same % 2)}, why)) << why;
      std::vector<std::vector<Reading>> readings;
      ASSERT_TRUE(batch.ScanWithZbar({"disable", "databar.enable"}, readings, why)) << why;
      const std::vector<Reading>& r = readings[0];
      const bool scanned = r.size() == 1 && r[0].type == "DataBar" && r[0].data == "01" + gtin;
      EXPECT_TRUE(scanned) << gtin << ": zbar read " << r.size() << " symbols, " << (r.empty() ? "" : r[0].type + " " + r[0].data);
      read += scanned ? 1 : 0;
    }
    std::printf("[scan] DataBar %s: %zu GTINs, %zu as zint draws them, %zu read back by the model, %zu by zbar\n",
                f.name, gtins.size(), same, consistent, read);
  }
}

// DataBar Expanded: seeded element strings of every encodation method,
// module for module zint's (`-b 31`), read back by the model (which decodes
// the methods on its own) and by zbar from the model's pictures, until 300
// have been read by zbar.  Where zbar reads none, it must fail on zint's
// own symbol of the value too (zbar 0.23 misses some long symbols).
TEST(ScanDatabar, ExpandedValuesMatchZintAndReadBack) {
  tavo::test::ExpandedValues values(20261208 + static_cast<uint32_t>(kDatabarExpanded));
  size_t done = 0, same = 0, consistent = 0, read = 0, neither = 0;
  for (size_t tried = 0; read < kValues && tried < 3 * kValues; ++tried) {
    const tavo::test::ExpandedValue v = values.Next();
    const auto t = tavo::test::Translate(kDatabarExpanded, v.value, 0, 8000);
    if (t.rc == 32587) continue;  // more than 21 data characters
    ASSERT_EQ(t.rc, 0) << v.value;
    ++done;
    const std::vector<std::string> zint = ZintRows("-b 31 --gs1parens -d '" + v.value + "'");
    const bool match = zint.size() == 1 && DistinctRows(t.bytes) == zint;
    EXPECT_TRUE(match) << v.value << ": the modules differ from zint's";
    same += match ? 1 : 0;
    model::Reading reading;
    model::ModelError error;
    ASSERT_TRUE(model::ReadSymbol(kDatabarExpanded, t.bytes, reading, error)) << v.value << ": " << error.reason;
    const bool ok = reading.Consistent() && reading.data == v.value;
    EXPECT_TRUE(ok) << v.value << ": the model read \"" << reading.data << "\"";
    consistent += ok ? 1 : 0;
    PictureBatch batch("databar-31");
    std::string why;
    ASSERT_TRUE(batch.Add(kDatabarExpanded, t.bytes, {.model = {}, .module = 2.0 + static_cast<double>(done % 2)}, why)) << why;
    std::vector<std::vector<Reading>> readings;
    ASSERT_TRUE(batch.ScanWithZbar({"disable", "databar-exp.enable"}, readings, why)) << why;
    const std::vector<Reading>& r = readings[0];
    if (r.empty() && !tavo::test::ZbarReadsZints(v.value, v.zbar)) {
      ++neither;
      continue;
    }
    const bool scanned = r.size() == 1 && r[0].data == v.zbar;
    EXPECT_TRUE(scanned) << v.value << ": zbar read " << r.size() << " symbols, " << (r.empty() ? "" : r[0].type + " " + r[0].data);
    read += scanned ? 1 : 0;
  }
  EXPECT_GE(read, kValues);
  std::printf("[scan] DataBar Expanded: %zu values, %zu as zint draws them, %zu read back by the model, %zu by zbar, "
              "%zu by zbar from neither ours nor zint's\n", done, same, consistent, read, neither);
}

// DataBar Expanded Stacked: seeded values of every method at every segment
// count from 2 to 20, module row for module row zint's (`-b 81 --cols=N`,
// N pairs of segments to a row), and read back by the model.  zbar 0.23
// reads no Expanded Stacked symbol, zint's own included, so zint and the
// model's reader are the proof.
TEST(ScanDatabar, ExpandedStackedValuesMatchZintAndReadBack) {
  tavo::test::ExpandedValues values(20261208 + static_cast<uint32_t>(kDatabarExpandedStacked));
  size_t done = 0, same = 0, consistent = 0;
  while (done < kValues) {
    const tavo::test::ExpandedValue v = values.Next();
    if (tavo::test::Translate(kDatabarExpanded, v.value, 0, 8000).rc == 32587) continue;  // over 21 characters
    ++done;
    for (int32_t segments = 2; segments <= 20; segments += 2) {
      const auto t = tavo::test::Translate(kDatabarExpandedStacked, v.value, segments, 20000);
      ASSERT_EQ(t.rc, 0) << v.value << " in rows of " << segments;
      const std::vector<std::string> zint =
          ZintRows("-b 81 --cols=" + std::to_string(segments / 2) + " --gs1parens -d '" + v.value + "'");
      std::vector<std::string> zint_distinct;
      for (const std::string& r : zint) {
        if (zint_distinct.empty() || zint_distinct.back() != r) zint_distinct.push_back(r);
      }
      const bool match = DistinctRows(t.bytes) == zint_distinct;
      EXPECT_TRUE(match) << v.value << " in rows of " << segments << ": the rows differ from zint's";
      same += match ? 1 : 0;
      model::Reading reading;
      model::ModelError error;
      ASSERT_TRUE(model::ReadSymbol(kDatabarExpandedStacked, t.bytes, reading, error)) << v.value << ": " << error.reason;
      const bool ok = reading.Consistent() && reading.data == v.value;
      EXPECT_TRUE(ok) << v.value << " in rows of " << segments << ": the model read \"" << reading.data << "\""
                      << (reading.faults.empty() ? "" : ", " + reading.faults[0]);
      consistent += ok ? 1 : 0;
    }
  }
  std::printf("[scan] DataBar Expanded Stacked: %zu values at 10 segment counts, %zu symbols as zint draws them, "
              "%zu read back by the model\n", done, same, consistent);
}

}  // namespace
}  // namespace tavo::scan
