// Intelligent Mail in the model: the four bar heights, and reading symbols
// back through characters, codewords and the frame check to the value, with
// every changed bar reported as damage.
#include <random>

#include "decode.h"
#include "model_test_support.h"

namespace tavo::model::test {
namespace {

constexpr int32_t kImb = BC_SYM_IMB;

// The published example with an 11-digit routing code.
constexpr std::string_view kValue = "01234567094987654321-01234567891";
constexpr std::string_view kBars = "AADTFFDFTDADTAADAATFDTDDAAADDTDTTDAFADADDDTFFFDDTTTADFAAADFTDAADA";

// Seeded values over every routing length, written as the library takes
// them and as the reader gives them back ("TRACKING-ROUTING").
std::vector<std::string> Values(size_t count, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<std::string> values;
  constexpr size_t kRoutingLengths[] = {0, 5, 9, 11};
  while (values.size() < count) {
    std::string v;
    for (size_t i = 0; i < 20; ++i) v.push_back(static_cast<char>('0' + random() % (i == 1 ? 5 : 10)));
    const size_t routing = kRoutingLengths[values.size() % 4];
    if (routing) v.push_back('-');
    for (size_t i = 0; i < routing; ++i) v.push_back(static_cast<char>('0' + random() % 10));
    values.push_back(v);
  }
  return values;
}

TEST(ImbModel, OneBarPerLetterAtItsHeight) {
  const Symbol symbol = Build(kImb, kBars);
  std::string heights;
  size_t bars = 0;
  for (const Element& e : symbol.elements) {
    if (!e.bar) {
      EXPECT_DOUBLE_EQ(e.width, 1.25);
      continue;
    }
    ++bars;
    EXPECT_DOUBLE_EQ(e.width, 1);
    switch (e.height) {
      case BarHeight::kAscender: heights += 'A'; break;
      case BarHeight::kDescender: heights += 'D'; break;
      case BarHeight::kFull: heights += 'F'; break;
      case BarHeight::kTracker: heights += 'T'; break;
      default: heights += '?';
    }
  }
  EXPECT_EQ(bars, 65u);
  EXPECT_EQ(heights, kBars);
  EXPECT_DOUBLE_EQ(symbol.Width(), 64 * 2.25 + 1);
}

TEST(ImbModel, ReadsBackEveryRoutingLength) {
  for (const std::string& v : Values(1000, 85)) {
    SCOPED_TRACE(v);
    Reading reading;
    ModelError error;
    ASSERT_TRUE(ReadSymbol(kImb, FontString(kImb, v), reading, error));
    EXPECT_EQ(reading.data, v);
    EXPECT_TRUE(reading.Consistent());
    ASSERT_EQ(reading.checks.size(), 1u);
    EXPECT_TRUE(reading.checks[0].Matches());
  }
}

TEST(ImbModel, EveryChangedBarIsDamage) {
  // Any bar turned into any of the three other letters: never a symbol that
  // holds together, let alone another value's.
  for (const std::string& v : Values(40, 13)) {
    const std::string bars = FontString(kImb, v);
    for (size_t n = 0; n < bars.size(); ++n) {
      for (char letter : {'A', 'D', 'F', 'T'}) {
        if (letter == bars[n]) continue;
        std::string damaged = bars;
        damaged[n] = letter;
        Reading reading;
        ModelError error;
        ASSERT_TRUE(ReadSymbol(kImb, damaged, reading, error));
        EXPECT_FALSE(reading.Consistent()) << v << ": bar " << n << " made " << letter;
        EXPECT_FALSE(reading.faults.empty()) << v << ": bar " << n << " made " << letter;
      }
    }
  }
}

TEST(ImbModel, MalformedStrings) {
  const struct {
    std::string bars;
    bool builds;
    const char* why;
  } kCases[] = {
      {std::string(kBars.substr(1)), true, "64 bars"},
      {std::string(kBars) + "T", true, "66 bars"},
      {std::string(65, 'T'), true, "trackers only: no character has bars"},
      {std::string(65, 'F'), true, "full bars only: every character full"},
      {"X" + std::string(kBars.substr(1)), false, "a letter that is no bar"},
      {std::string(kBars.substr(0, 64)) + "a", false, "lower case is no bar"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    Reading reading;
    ModelError error;
    ASSERT_EQ(ReadSymbol(kImb, c.bars, reading, error), c.builds) << error.reason;
    if (c.builds) {
      EXPECT_FALSE(reading.Consistent());
      EXPECT_FALSE(reading.faults.empty());
    }
  }
}

TEST(ImbModel, DecodeReportsDamage) {
  std::string damaged(kBars);
  damaged[30] = damaged[30] == 'T' ? 'F' : 'T';
  const struct {
    std::string bars;
    int status;
    std::vector<std::string> lines;
  } kCases[] = {
      {std::string(kBars), 0,
       {"data: \"" + std::string(kValue) + "\"", "check: frame check sequence: ",
        "the library gives this string for the value \"" + std::string(kValue) + "\"", "consistent"}},
      {damaged, 1, {"fault: ", "not consistent"}},
  };
  for (const auto& c : kCases) {
    testing::internal::CaptureStdout();
    const int status = RunDecode(kImb, c.bars);
    std::string out(1, '\n');
    out += testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, c.status) << out;
    for (const std::string& line : c.lines) {
      EXPECT_NE(out.find("\n" + line), std::string::npos) << line << "\nin:" << out;
    }
    if (c.status != 0) {
      EXPECT_NE(out.find("damaged"), std::string::npos) << out;
    }
  }
}

}  // namespace
}  // namespace tavo::model::test
