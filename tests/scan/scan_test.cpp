// A real scanner reads what the library translates: seeded random values of
// every symbology are translated, drawn through the symbol model as PNG
// pictures and read back with zbar; MSI and PostNet, which zbar cannot read,
// are compared bar for bar with zint's encoding of the same data.
//
// zbar's reporting conventions, found by experiment with zbar 0.23.92 and
// relied on below:
// - Code 39: the symbol characters as printed, space as ' ', the check
//   character kept and Full ASCII pairs not decoded ("+A" stays "+A").  The
//   suite verifies the modulo-43 check and decodes the pairs itself.
// - Code 93: Full ASCII decoded, both check characters verified and removed.
// - Code 128: the data; an FNC1 first in the symbol becomes the modifier
//   "GS1" and is not in the data, a later FNC1 reads as GS (0x1D).
// - Interleaved 2 of 5: every digit, the leading zero and the check digit
//   included (zbar does not verify it); by default zbar wants 6 digits, so
//   the suite lowers i25.min-length to 2.
// - Codabar: start and stop characters included, always in upper case, and
//   a check character read as data; by default zbar wants 4 data
//   characters, so the suite lowers codabar.min-length to 1.
// - EAN-13 and EAN-8: every digit with the check digit.  UPC-A reads as a
//   13-digit EAN-13 with a leading 0 unless upca.enable is set; then as 12
//   digits.  UPC-E reads as the 13-digit EAN-13 of its expansion, or with
//   upce.enable as 8 digits: the number system 0, the six printed digits and
//   the check digit.
// - Add-ons (ean2.enable, ean5.enable): a symbol of their own, "EAN-2" or
//   "EAN-5", with the supplement digits, beside the main symbol.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "scanner.h"
#include "upc_ean_oracle.h"
#include "test_support.h"

namespace tavo::scan {
namespace {

// ---------------------------------------------------------------------------
// Inputs the library translates, as its rules require, into symbols that no
// reader can read back as the value.  Each is generated on purpose below and
// must show exactly its listed behaviour.
enum class Unreadable { kNone, kEmptyValue, kLoneStop, kShiftPair, kUndefinedPair };

struct ListedKind {
  Unreadable kind;
  const char* name;
  const char* reason;
};

constexpr ListedKind kListed[] = {
    {Unreadable::kEmptyValue, "empty value",
     "no start character or no data: the start character belongs to the first value "
     "character, so Code 39 and Code 93 get none and zbar finds no symbol; Codabar gets no "
     "character at all; Interleaved 2 of 5 gets its start and stop only (nothing read), or "
     "with the check option the pair 00, the padding zero and its check digit (read as 00); "
     "Code 128 gets start, check and stop around no data (zbar reports an empty symbol, "
     "which many readers refuse)"},
    {Unreadable::kLoneStop, "lone stop",
     "a one-letter Codabar value is the stop character alone: no start, no data"},
    {Unreadable::kShiftPair, "shift pair",
     "a Code 39 value holding \"$\", \"%\" or \"+\" followed by a capital letter, or \"/\" "
     "followed by A..O or Z: both are written as single characters, so a Full ASCII reader "
     "takes them as one shift pair and reads another character"},
    {Unreadable::kUndefinedPair, "undefined pair",
     "a Code 39 value holding \"/\" followed by P..Y: the two form no character of the Full "
     "ASCII table, so a Full ASCII reader refuses the symbol (zbar, which does not decode Full "
     "ASCII, reads the two characters)"},
};

const ListedKind& Listed(Unreadable kind) {
  for (const ListedKind& k : kListed) {
    if (k.kind == kind) return k;
  }
  return kListed[0];
}

// ---------------------------------------------------------------------------
// What a reader checks, written from the symbologies' published rules.

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// UPC/EAN and Interleaved 2 of 5 modulo 10: weights 3, 1, 3 ... leftwards
// from the rightmost data digit.
char Mod10Weighted31(std::string_view digits) {
  int sum = 0;
  int weight = 3;
  for (size_t i = digits.size(); i-- > 0;) {
    sum += (digits[i] - '0') * weight;
    weight = 4 - weight;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Code 39 modulo 43 over the characters as a reader reports them.
constexpr std::string_view kCode39Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
static_assert(kCode39Chars.size() == 43);

char Code39Mod43(std::string_view text) {
  size_t sum = 0;
  for (char c : text) sum += kCode39Chars.find(c);
  return kCode39Chars[sum % 43];
}

// The Full ASCII reading of Code 39 data: a shift character followed by a
// capital letter is one ASCII character; 0xFF marks an undefined pair.
char FullAsciiPair(char shift, char letter) {
  int k = letter - 'A';
  switch (shift) {
    case '$':
      return static_cast<char>(1 + k);
    case '+':
      return static_cast<char>('a' + k);
    case '/':
      return letter == 'Z' ? ':' : letter <= 'O' ? static_cast<char>('!' + k) : '\xFF';
    default:
      break;
  }
  if (letter <= 'E') return static_cast<char>(27 + k);
  if (letter <= 'J') return static_cast<char>(';' + k - 5);
  if (letter <= 'O') return static_cast<char>('[' + k - 10);
  if (letter <= 'T') return static_cast<char>('{' + k - 15);
  constexpr std::string_view kRest("\0@`\x7F\x7F\x7F", 6);  // %U %V %W %X %Y %Z
  return kRest[static_cast<size_t>(k - 20)];
}

std::string FullAsciiDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    bool shift = std::string_view("$%+/").find(text[i]) != std::string_view::npos;
    if (shift && i + 1 < text.size() && IsCapital(text[i + 1])) {
      out += FullAsciiPair(text[i], text[i + 1]);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Codabar: values 0..15 for the data characters, 16..19 for A..D.
constexpr std::string_view kCodabarChars = "0123456789-$:/.+ABCD";

char CodabarCheck(std::string_view text) {
  size_t sum = 0;
  for (char c : text) sum += kCodabarChars.find(Upper(c));
  return kCodabarChars[(16 - sum % 16) % 16];
}

bool IsCodabarLetter(char c) { return std::string_view("ABCDabcd").find(c) != std::string_view::npos; }

// UPC-E zero suppression undone: the oracle of upc_ean_oracle.h.
std::string ExpandUpcE(std::string_view e) { return test::UpcANumberOf(e); }

// ---------------------------------------------------------------------------
// Samples: a value, the check option and how its picture is drawn.

struct Sample {
  std::string value;
  bool check = false;
  Drawing drawing;
  const char* why = "random";
  std::string font;        // what the library translated it to
  std::string draw_error;  // set when the picture could not be drawn
};

std::string Printable(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    char buf[8];
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

std::string Describe(const Sample& s) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "\" check %d, %s, ratio %.2f, module %.0f px%s", s.check ? 1 : 0,
                s.why, s.drawing.model.wide_ratio, s.drawing.module,
                s.drawing.model.caption ? ", caption" : "");
  return "value \"" + Printable(s.value) + buf;
}

// Draws vary the way print does: narrow bars of 2 or 3 pixels, wide:narrow
// ratios from 2 to 3, with and without captions.
Drawing RandomDrawing(std::mt19937& rng) {
  Drawing d;
  d.module = std::uniform_int_distribution<int>(2, 3)(rng);
  d.model.wide_ratio = 2.0 + 0.25 * std::uniform_int_distribution<int>(0, 4)(rng);
  d.model.caption = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
  return d;
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, size_t min_len, size_t max_len) {
  size_t n = std::uniform_int_distribution<size_t>(min_len, max_len)(rng);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::string s;
  for (size_t i = 0; i < n; ++i) s += alphabet[pick(rng)];
  return s;
}

std::string Digits(std::mt19937& rng, size_t n) { return RandomText(rng, "0123456789", n, n); }

// Random values of one generator, then the fixed rows.
using Generator = std::function<Sample(std::mt19937&)>;

std::vector<Sample> MakeSamples(uint32_t seed, size_t count, const Generator& generate,
                                std::vector<Sample> fixed) {
  std::mt19937 rng(seed);
  std::vector<Sample> out;
  for (size_t i = 0; i < count; ++i) {
    Sample s = generate(rng);
    s.drawing = RandomDrawing(rng);
    out.push_back(std::move(s));
  }
  for (Sample& s : fixed) out.push_back(std::move(s));
  return out;
}

// ---------------------------------------------------------------------------
// The run: translate, draw, read; then judge every sample.

// Values per symbology: enough to meet every code-set path and parity, and
// fast enough on two cores (zbar reads a picture in about a millisecond).
constexpr size_t kCount = 1000;

struct Tally {
  size_t values = 0;
  size_t as_expected = 0;
  std::map<std::string, size_t> listed;
};

// Translates and draws every sample; fills `readings` from one zbar run.
void TranslateAndDraw(int32_t symbology, std::vector<Sample>& samples, PictureBatch& batch,
                      std::vector<size_t>& picture) {
  for (Sample& s : samples) {
    auto t = tavo::test::Translate(symbology, s.value, s.check ? 1 : 0);
    ASSERT_EQ(t.rc, 0) << Describe(s);
    s.font = t.bytes;
    if (!batch.Add(symbology, t.bytes, s.drawing, s.draw_error)) {
      picture.push_back(SIZE_MAX);
      continue;
    }
    picture.push_back(batch.size() - 1);
  }
}

// A checker says what is wrong with the readings of a sample (empty: they
// are what the value must read as).
using Checker = std::function<std::string(const Sample&, Unreadable, const std::vector<Reading>&)>;
using Classifier = std::function<Unreadable(const Sample&)>;

std::string ReadingsText(const std::vector<Reading>& readings) {
  if (readings.empty()) return "nothing";
  std::string out;
  for (const Reading& r : readings) {
    out += (out.empty() ? "" : ", ") + r.type + " \"" + Printable(r.data) + "\"";
    if (!r.modifiers.empty()) out += " [" + r.modifiers + "]";
  }
  return out;
}

// The listed kinds that leave nothing to read.
std::string NothingRead(const std::vector<Reading>& readings) {
  return readings.empty() ? "" : "read " + ReadingsText(readings) + " where nothing can be read";
}

// Readings must be exactly `want` (type and data), in any order.
std::string Exactly(const std::vector<Reading>& readings, std::vector<Reading> want) {
  auto key = [](const Reading& r) { return r.type + '\n' + r.data + '\n' + r.modifiers; };
  std::vector<std::string> got_keys, want_keys;
  for (const Reading& r : readings) got_keys.push_back(key(r));
  for (const Reading& r : want) want_keys.push_back(key(r));
  std::sort(got_keys.begin(), got_keys.end());
  std::sort(want_keys.begin(), want_keys.end());
  if (got_keys == want_keys) return "";
  return "read " + ReadingsText(readings) + ", wanted " + ReadingsText(want);
}

void Report(std::string_view name, const Tally& t, double seconds) {
  std::string listed;
  for (const auto& [kind, n] : t.listed) listed += ", " + std::to_string(n) + " listed (" + kind + ")";
  std::printf("[scan] %.*s: %zu values, %zu read as expected%s; %.2f s\n",
              static_cast<int>(name.size()), name.data(), t.values, t.as_expected, listed.c_str(),
              seconds);
}

// The whole run for one symbology and zbar setting.
void ScanAndJudge(std::string_view name, int32_t symbology, std::vector<Sample> samples,
                  const std::vector<std::string>& settings, const Classifier& classify,
                  const Checker& check) {
  auto start = std::chrono::steady_clock::now();
  PictureBatch batch(name);
  ASSERT_FALSE(batch.dir().empty()) << "no scratch directory";
  std::vector<size_t> picture;
  TranslateAndDraw(symbology, samples, batch, picture);
  if (testing::Test::HasFatalFailure()) return;
  std::vector<std::vector<Reading>> readings;
  std::string error;
  ASSERT_TRUE(batch.ScanWithZbar(settings, readings, error)) << error;
  Tally tally;
  for (size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    ++tally.values;
    if (picture[i] == SIZE_MAX) {
      ADD_FAILURE() << name << ": " << Describe(s) << ": not drawn: " << s.draw_error;
      continue;
    }
    Unreadable kind = classify(s);
    // The model warns of exactly the listed values; of undefined pairs it
    // may or may not.
    bool warned = !model::ValueReadabilityWarnings(symbology, s.value).empty();
    if (kind != Unreadable::kUndefinedPair) {
      EXPECT_EQ(warned, kind != Unreadable::kNone) << name << ": model warnings for " << Describe(s);
    }
    std::string problem = check(s, kind, readings[picture[i]]);
    if (!problem.empty()) {
      ADD_FAILURE() << name << ": " << Describe(s) << ": " << problem
                    << (kind == Unreadable::kNone ? "" : std::string(" (listed: ") + Listed(kind).name + ")");
    } else if (kind == Unreadable::kNone) {
      ++tally.as_expected;
    } else {
      ++tally.listed[Listed(kind).name];
    }
  }
  Report(name, tally, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

Unreadable NoneListed(const Sample&) { return Unreadable::kNone; }
Unreadable EmptyListed(const Sample& s) { return s.value.empty() ? Unreadable::kEmptyValue : Unreadable::kNone; }

Sample Fixed(std::string value, bool check, const char* why) {
  Sample s;
  s.value = std::move(value);
  s.check = check;
  s.why = why;
  return s;
}

// ---------------------------------------------------------------------------
// Code 39, both forms: the same symbol characters, so the same reading.

Unreadable ClassifyCode39(const Sample& s) {
  if (s.value.empty()) return Unreadable::kEmptyValue;
  // An undefined pair makes the reader refuse the whole symbol, whatever
  // other pairs it holds.
  Unreadable kind = Unreadable::kNone;
  for (size_t i = 0; i + 1 < s.value.size(); ++i) {
    bool shift = std::string_view("$%+/").find(s.value[i]) != std::string_view::npos;
    if (!shift || !IsCapital(s.value[i + 1])) continue;
    if (FullAsciiPair(s.value[i], s.value[i + 1]) == '\xFF') return Unreadable::kUndefinedPair;
    kind = Unreadable::kShiftPair;
  }
  return kind;
}

std::string CheckCode39(const Sample& s, Unreadable kind, const std::vector<Reading>& readings) {
  if (kind == Unreadable::kEmptyValue) return NothingRead(readings);
  if (readings.size() != 1 || readings[0].type != "CODE-39") {
    return "read " + ReadingsText(readings) + ", wanted one Code 39 symbol";
  }
  std::string text = readings[0].data;
  if (s.check) {
    if (text.empty() || text.back() != Code39Mod43(text.substr(0, text.size() - 1))) {
      return "check character of \"" + Printable(text) + "\" is wrong";
    }
    text.pop_back();
  }
  std::string decoded = FullAsciiDecode(text);
  if (kind == Unreadable::kShiftPair || kind == Unreadable::kUndefinedPair) {
    bool refused = decoded.find('\xFF') != std::string::npos;
    if (decoded == s.value) return "a shift pair read back as the value itself";
    return refused == (kind == Unreadable::kUndefinedPair) ? "" : "read \"" + Printable(text) + "\"";
  }
  return decoded == s.value ? ""
                            : "read \"" + Printable(readings[0].data) + "\", Full ASCII \"" +
                                  Printable(decoded) + "\"";
}

// Any ASCII character, weighted towards what labels hold; the shift
// characters often enough that some land before a capital letter.
Sample RandomCode39(std::mt19937& rng) {
  static constexpr std::string_view kCommon =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz -.$/+%*_~@!";
  Sample s;
  size_t n = std::uniform_int_distribution<size_t>(1, 16)(rng);
  std::uniform_int_distribution<int> any(1, 127);
  for (size_t i = 0; i < n; ++i) {
    bool control = std::uniform_int_distribution<int>(0, 9)(rng) == 0;
    s.value += control ? static_cast<char>(any(rng)) : RandomText(rng, kCommon, 1, 1)[0];
  }
  s.check = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
  return s;
}

std::vector<Sample> Code39Fixed() {
  return {Fixed("", false, "empty value: a lone stop character"),
          Fixed("", true, "empty value: a check character 0 and the stop"),
          Fixed("Code 39", true, "mixed case, space, check L"),
          Fixed("A$B", false, "a single $ before a capital: read as the pair $B (STX)"),
          Fixed("50%OFF", false, "a single % before a capital: read as %O (underscore)"),
          Fixed("C++A", true, "+ before a capital: read as lower-case a"),
          Fixed("1/A", false, "/ before a capital: read as an exclamation mark"),
          Fixed("A/V", false, "/ before V: no Full ASCII character"),
          Fixed("$5 + 3% / 2", true, "shift characters before non-letters stay themselves"),
          Fixed("a$", true, "a shift character last, then the check character")};
}

TEST(ScanCode39, FullAsciiFormReadsBackAsTheValue) {
  ScanAndJudge("Code 39 Full ASCII", 0, MakeSamples(39, kCount, RandomCode39, Code39Fixed()),
               {"disable", "code39.enable"}, ClassifyCode39, CheckCode39);
}

TEST(ScanCode39, FontFormReadsBackAsTheValue) {
  ScanAndJudge("Code 39 fonts", 1, MakeSamples(391, kCount, RandomCode39, Code39Fixed()),
               {"disable", "code39.enable"}, ClassifyCode39, CheckCode39);
}

// ---------------------------------------------------------------------------
// Interleaved 2 of 5: the digits, a leading zero to make them even, and the
// check digit.

std::string CheckI2of5(const Sample& s, Unreadable kind, const std::vector<Reading>& readings) {
  if (kind == Unreadable::kEmptyValue && !s.check) return NothingRead(readings);
  std::string want = s.value;
  if ((want.size() + (s.check ? 1 : 0)) % 2 == 1) want.insert(want.begin(), '0');
  if (s.check) want += Mod10Weighted31(want);
  return Exactly(readings, {{"I2/5", want, ""}});
}

TEST(ScanI2of5, ReadsAsTheDigitsWithLeadingZeroAndCheckDigit) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    s.value = Digits(rng, std::uniform_int_distribution<size_t>(1, 20)(rng));
    s.check = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    return s;
  };
  std::vector<Sample> fixed = {Fixed("", false, "empty value: start and stop only"),
                               Fixed("", true, "empty value with check: pair 00"),
                               Fixed("1234567", true, "check digit 0"),
                               Fixed("123456", false, "even count, no zero added"),
                               Fixed("7", false, "one digit: leading zero")};
  ScanAndJudge("Interleaved 2 of 5", 2, MakeSamples(25, kCount, random, fixed),
               {"disable", "i25.enable", "i25.min-length=2"},
               EmptyListed, CheckI2of5);
}

// ---------------------------------------------------------------------------
// Codabar: start letter (given or A), data, check character, stop letter
// (given or A), all letters read in upper case.

Unreadable ClassifyCodabar(const Sample& s) {
  if (s.value.empty()) return Unreadable::kEmptyValue;
  if (s.value.size() == 1 && IsCodabarLetter(s.value[0])) return Unreadable::kLoneStop;
  return Unreadable::kNone;
}

std::string CheckCodabar(const Sample& s, Unreadable kind, const std::vector<Reading>& readings) {
  if (kind != Unreadable::kNone) return NothingRead(readings);
  std::string_view v = s.value;
  std::string start = "A";
  std::string stop = "A";
  if (IsCodabarLetter(v.front())) {
    start = Upper(v.front());
    v.remove_prefix(1);
  }
  if (!v.empty() && IsCodabarLetter(v.back())) {
    stop = Upper(v.back());
    v.remove_suffix(1);
  }
  std::string want = start + std::string(v);
  if (s.check) want += CodabarCheck(want + stop);
  return Exactly(readings, {{"Codabar", want + stop, ""}});
}

TEST(ScanCodabar, ReadsWithStartStopAndCheckCharacter) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    std::uniform_int_distribution<int> coin(0, 2);
    if (coin(rng) == 0) s.value += RandomText(rng, "ABCDabcd", 1, 1);
    s.value += RandomText(rng, "0123456789-$:/.+", 1, 16);
    if (coin(rng) == 0) s.value += RandomText(rng, "ABCDabcd", 1, 1);
    s.check = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    return s;
  };
  std::vector<Sample> fixed = {Fixed("", false, "empty value: no character at all"),
                               Fixed("", true, "empty value: no character, no check"),
                               Fixed("B", false, "one letter: the lone stop b"),
                               Fixed("d", true, "one letter: the lone stop d, no check"),
                               Fixed("AB", false, "start and stop, no data: zbar reads AB"),
                               Fixed("AB", true, "start and stop, the check character as data"),
                               Fixed("5", false, "one data character between A and a"),
                               Fixed("a12345b", true, "lower-case start, check 0"),
                               Fixed("C123", false, "given start, default stop"),
                               Fixed("123D", false, "default start, given stop")};
  ScanAndJudge("Codabar", 3, MakeSamples(3, kCount, random, fixed),
               {"disable", "codabar.enable", "codabar.min-length=1"}, ClassifyCodabar, CheckCodabar);
}

// ---------------------------------------------------------------------------
// Code 93: zbar decodes Full ASCII and checks C and K itself.

TEST(ScanCode93, ReadsBackAsTheValue) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    size_t n = std::uniform_int_distribution<size_t>(1, 20)(rng);
    std::uniform_int_distribution<int> any(1, 127);
    for (size_t i = 0; i < n; ++i) s.value += static_cast<char>(any(rng));
    return s;
  };
  std::vector<Sample> fixed = {Fixed("", false, "empty value: checks and stop, no start"),
                               Fixed("TEST93", false, "C is +, K is 6"),
                               Fixed("F", false, "K is the shift symbol (/)"),
                               Fixed("Ab", false, "b as the pair (+) B"),
                               Fixed("123456789012345678901", false, "weights restart after 20")};
  ScanAndJudge("Code 93", 5, MakeSamples(93, kCount, random, fixed), {"disable", "code93.enable"},
               EmptyListed, [](const Sample& s, Unreadable kind, const std::vector<Reading>& r) {
                 return kind != Unreadable::kNone ? NothingRead(r) : Exactly(r, {{"CODE-93", s.value, ""}});
               });
}

// ---------------------------------------------------------------------------
// Code 128.

// Function characters and NUL as they stand in a value, and the font code
// of FNC1 (value 102, the same in every code set).
constexpr char kFnc1 = '\xB9';
constexpr char kFnc2 = '\xB2';
constexpr char kFnc3 = '\xB3';
constexpr char kFnc4 = '\xBC';
constexpr char kNulData = '\xC7';
constexpr char kFnc1Symbol = '\xE6';

// What zbar reports for a Code 128 value.  An FNC1 counts by its place
// among the symbol characters (one per font byte, the start character 0):
// the first after the start gives the modifier "GS1", the second "AIM" (an
// application identifier follows a letter or a digit pair), the last before
// the check character is dropped, and any other reads as GS (0x1D).  FNC2,
// FNC3 and FNC4 are dropped: zbar applies neither message append, reader
// programming nor FNC4's extended ASCII.
Reading Code128Reading(const Sample& s) {
  std::vector<size_t> fnc1_at;
  for (size_t i = 1; i + 2 < s.font.size(); ++i) {
    if (s.font[i] == kFnc1Symbol) fnc1_at.push_back(i);
  }
  Reading r{"CODE-128", "", ""};
  bool gs1 = false;
  bool aim = false;
  size_t k = 0;
  for (char c : s.value) {
    if (c == kFnc1) {
      size_t at = k < fnc1_at.size() ? fnc1_at[k] : 0;
      ++k;
      if (at == 1) {
        gs1 = true;
      } else if (at == 2) {
        aim = true;
      } else if (at + 3 != s.font.size()) {
        r.data += '\x1D';
      }
    } else if (c != kFnc2 && c != kFnc3 && c != kFnc4) {
      r.data += c == kNulData ? '\0' : c;
    }
  }
  r.modifiers = gs1 && aim ? "GS1 AIM" : gs1 ? "GS1" : aim ? "AIM" : "";
  return r;
}

TEST(ScanCode128, ReadsBackAsTheValue) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    // Runs of one kind at a time, so that every code set, shift and change
    // is met: digits, capitals, lower case, control characters, FNC1.
    size_t runs = std::uniform_int_distribution<size_t>(1, 5)(rng);
    for (size_t i = 0; i < runs; ++i) {
      switch (std::uniform_int_distribution<int>(0, 5)(rng)) {
        case 0: case 1: s.value += Digits(rng, std::uniform_int_distribution<size_t>(1, 9)(rng)); break;
        case 2: s.value += RandomText(rng, "ABCXYZ !#$%&()*+,-./:;<=>?@[]^_", 1, 5); break;
        case 3: s.value += RandomText(rng, "abcxyz`{|}~\x7F", 1, 5); break;
        case 4: s.value += RandomText(rng, "\x01\x02\x09\x0A\x0D\x1B\x1D\x1F\xC7", 1, 3); break;
        default: s.value += RandomText(rng, "\xB9\xB9\xB9\xB2\xB3\xBC", 1, 1); break;
      }
    }
    return s;
  };
  std::vector<Sample> fixed = {Fixed("", false, "empty value: start B, check, stop; zbar reads \"\""),
                               Fixed("Code 128", false, "set B throughout"),
                               Fixed("12", false, "two digits start in set C"),
                               Fixed("1234567", false, "odd run: last digit in set B"),
                               Fixed("HELLO\x01world", false, "start A, then CODE B"),
                               Fixed("a\x01" "b", false, "shift from A to B"),
                               Fixed("\xB9" "0112345", false, "GS1: FNC1 first"),
                               Fixed("AB12\xB9" "3", false, "FNC1 inside: GS"),
                               Fixed("\xC7", false, "NUL as data"),
                               Fixed("\xB9", false, "FNC1 alone: GS1 with no data"),
                               Fixed("b\xB9" "12", false, "FNC1 after one letter: AIM"),
                               Fixed("AB\xBC" "CD", false, "FNC4: C as extended ASCII, ignored by zbar"),
                               Fixed("\xB3" "AB\xB2", false, "FNC3 and FNC2 dropped")};
  ScanAndJudge("Code 128", 11, MakeSamples(128, kCount, random, fixed), {"disable", "code128.enable"},
               EmptyListed, [](const Sample& s, Unreadable, const std::vector<Reading>& r) {
                 return Exactly(r, {Code128Reading(s)});
               });
}

// ---------------------------------------------------------------------------
// UPC and EAN, with their 2- and 5-digit add-ons.

// The add-on reading of a value of `main_digits` digits, if it has one.
void AddOn(std::string_view value, size_t main_digits, std::vector<Reading>& want) {
  if (value.size() == main_digits + 2) want.push_back({"EAN-2", std::string(value.substr(main_digits)), ""});
  if (value.size() == main_digits + 5) want.push_back({"EAN-5", std::string(value.substr(main_digits)), ""});
}

// n main digits, then no add-on, a 2-digit or a 5-digit one.
Generator RetailValues(size_t n) {
  return [n](std::mt19937& rng) {
    Sample s;
    static constexpr size_t kAddOn[] = {0, 0, 2, 5};
    s.value = Digits(rng, n + kAddOn[std::uniform_int_distribution<size_t>(0, 3)(rng)]);
    return s;
  };
}

std::string CheckEan(const Sample& s, size_t n, const char* type, const std::vector<Reading>& readings) {
  std::string main = s.value.substr(0, n);
  std::vector<Reading> want = {{type, main + Mod10Weighted31(main), ""}};
  AddOn(s.value, n, want);
  return Exactly(readings, want);
}

const std::vector<std::string> kRetail = {"disable", "ean13.enable", "ean2.enable", "ean5.enable"};

TEST(ScanRetail, Ean13ReadsWithCheckDigitAndAddOn) {
  std::vector<Sample> fixed = {Fixed("590123412345", false, "check 7, parity ABBAAB"),
                               Fixed("97801234567891", false, "add-on 91"),
                               Fixed("97801234567852495", false, "add-on 52495"),
                               Fixed("000000000000", false, "all zeros")};
  ScanAndJudge("EAN-13", 10, MakeSamples(13, kCount, RetailValues(12), fixed), kRetail, NoneListed,
               [](const Sample& s, Unreadable, const std::vector<Reading>& r) { return CheckEan(s, 12, "EAN-13", r); });
}

TEST(ScanRetail, Ean8ReadsWithCheckDigitAndAddOn) {
  std::vector<Sample> fixed = {Fixed("9638507", false, "check 4"), Fixed("963850712", false, "add-on 12"),
                               Fixed("963850752495", false, "add-on 52495")};
  std::vector<std::string> settings = {"disable", "ean8.enable", "ean2.enable", "ean5.enable"};
  ScanAndJudge("EAN-8", 9, MakeSamples(8, kCount, RetailValues(7), fixed), settings, NoneListed,
               [](const Sample& s, Unreadable, const std::vector<Reading>& r) { return CheckEan(s, 7, "EAN-8", r); });
}

TEST(ScanRetail, UpcAReadsWithCheckDigitAndAddOn) {
  std::vector<Sample> fixed = {Fixed("01234567890", false, "check 5"), Fixed("03600029145", false, "check 2"),
                               Fixed("0123456789012", false, "add-on 12"),
                               Fixed("0123456789052495", false, "add-on 52495")};
  std::vector<std::string> settings = kRetail;
  settings.push_back("upca.enable");
  ScanAndJudge("UPC-A", 6, MakeSamples(12, kCount, RetailValues(11), fixed), settings, NoneListed,
               [](const Sample& s, Unreadable, const std::vector<Reading>& r) { return CheckEan(s, 11, "UPC-A", r); });
}

std::vector<Sample> UpcEFixed() {
  return {Fixed("123456", false, "check 5, parity EOOEEO"), Fixed("12345612", false, "add-on 12"),
          Fixed("123405", false, "not in compressed form: printed as 123454"),
          Fixed("120453", false, "rule 1 body 120450"), Fixed("000000", false, "all zeros")};
}

// Read as EAN-13, zbar expands the symbol: 0, the UPC-A number, its check.
TEST(ScanRetail, UpcEReadsAsItsExpansion) {
  ScanAndJudge("UPC-E (expanded)", 7, MakeSamples(6, kCount, RetailValues(6), UpcEFixed()), kRetail, NoneListed,
               [](const Sample& s, Unreadable, const std::vector<Reading>& r) {
                 std::string number = ExpandUpcE(s.value);
                 std::vector<Reading> want = {{"EAN-13", "0" + number + Mod10Weighted31(number), ""}};
                 AddOn(s.value, 6, want);
                 return Exactly(r, want);
               });
}

// Read as UPC-E: number system 0, six digits whose expansion is the value's,
// and the check digit.
TEST(ScanRetail, UpcEReadsAsUpcE) {
  std::vector<std::string> settings = kRetail;
  settings.push_back("upce.enable");
  ScanAndJudge("UPC-E", 7, MakeSamples(6, kCount, RetailValues(6), UpcEFixed()), settings, NoneListed,
               [](const Sample& s, Unreadable, const std::vector<Reading>& r) -> std::string {
                 auto main = std::find_if(r.begin(), r.end(), [](const Reading& x) { return x.type == "UPC-E"; });
                 if (main == r.end() || main->data.size() != 8 || main->data[0] != '0') {
                   return "read " + ReadingsText(r) + ", wanted an 8-digit UPC-E";
                 }
                 std::string number = ExpandUpcE(s.value);
                 std::string_view body = std::string_view(main->data).substr(1, 6);
                 if (ExpandUpcE(body) != number || main->data[7] != Mod10Weighted31(number)) {
                   return "read " + ReadingsText(r) + ", wanted the expansion " + number;
                 }
                 std::vector<Reading> want = {*main};
                 AddOn(s.value, 6, want);
                 return Exactly(r, want);
               });
}

// ---------------------------------------------------------------------------
// MSI and PostNet, which zbar does not read: the bars the model draws for the
// font string against zint's encoding of the same data.

// The model's symbol for a translated value, or a reason in `error`.
bool SymbolOf(int32_t symbology, const Sample& s, model::Symbol& symbol, std::string& error) {
  auto t = tavo::test::Translate(symbology, s.value, s.check ? 1 : 0);
  if (t.rc != 0) {
    error = "translation failed with " + std::to_string(t.rc);
    return false;
  }
  model::ModelError why;
  if (!model::BuildSymbol(symbology, t.bytes, s.drawing.model, symbol, why)) {
    error = "model refuses byte " + std::to_string(why.byte_index) + ": " + why.reason;
    return false;
  }
  return true;
}

// Elements of whole module widths as zint dumps them: '1' bar, '0' space.
std::string ModuleString(const model::Symbol& symbol) {
  std::string bits;
  for (const model::Element& e : symbol.elements) {
    long n = std::lround(e.width);
    if (std::abs(e.width - static_cast<double>(n)) > 1e-9) return "width " + std::to_string(e.width);
    bits.append(static_cast<size_t>(n), e.bar ? '1' : '0');
  }
  return bits;
}

// Judges every sample with `compare` (empty: the same bars as zint's).
void CompareWithZint(std::string_view name, const std::vector<Sample>& samples,
                     const std::function<std::string(const Sample&)>& compare) {
  auto start = std::chrono::steady_clock::now();
  Tally tally;
  for (const Sample& s : samples) {
    ++tally.values;
    std::string problem = compare(s);
    if (problem.empty()) {
      ++tally.as_expected;
    } else {
      ADD_FAILURE() << name << ": " << Describe(s) << ": " << problem;
    }
  }
  Report(name, tally, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

// MSI at wide:narrow 2, zint's ratio: --vers=1 adds one modulo-10 check
// digit, --vers=2 two, as the library does without and with the check option.
TEST(ScanMsi, BarsMatchZint) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    s.value = Digits(rng, std::uniform_int_distribution<size_t>(1, 14)(rng));
    s.check = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    return s;
  };
  std::vector<Sample> fixed = {Fixed("1234567", false, "check 4"), Fixed("1234567", true, "checks 4 1"),
                               Fixed("80523", false, "check 4"), Fixed("0", false, "check 0"),
                               Fixed("99999999999999", true, "14 digits")};
  CompareWithZint("MSI", MakeSamples(47, kCount, random, fixed), [](const Sample& sample) -> std::string {
    Sample s = sample;
    s.drawing.model.wide_ratio = 2;
    model::Symbol symbol;
    std::string error;
    if (!SymbolOf(4, s, symbol, error)) return error;
    std::vector<std::string> rows = ZintRows("-b 47 --vers=" + std::string(s.check ? "2" : "1") + " -d " + s.value);
    if (rows.size() != 1) return "zint gave no pattern";
    std::string ours = ModuleString(symbol);
    return ours == rows[0] ? "" : "bars " + ours + ", zint " + rows[0];
  });
}

// PostNet: zint's first row marks the tall bars, its second every bar; the
// sequence of tall and short bars must be ours.
TEST(ScanPostNet, BarsMatchZint) {
  Generator random = [](std::mt19937& rng) {
    static constexpr size_t kCounts[] = {5, 9, 11};
    Sample s;
    std::string digits = Digits(rng, kCounts[std::uniform_int_distribution<size_t>(0, 2)(rng)]);
    for (char d : digits) {
      s.value += d;
      if (std::uniform_int_distribution<int>(0, 5)(rng) == 0) s.value += RandomText(rng, " -", 1, 2);
    }
    return s;
  };
  std::vector<Sample> fixed = {Fixed("12345-6789", false, "ZIP+4, check 5"), Fixed("12345", false, "check 5"),
                               Fixed("12345 6789 01", false, "delivery point, check 4"),
                               Fixed("1-2-3-4-5", false, "separators anywhere")};
  CompareWithZint("PostNet", MakeSamples(40, kCount, random, fixed), [](const Sample& s) -> std::string {
    model::Symbol symbol;
    std::string error;
    if (!SymbolOf(8, s, symbol, error)) return error;
    std::string digits;
    for (char c : s.value) {
      if (IsDigit(c)) digits += c;
    }
    std::vector<std::string> rows = ZintRows("-b 40 -d " + digits);
    if (rows.size() != 2) return "zint gave no pattern";
    std::string zint;
    for (size_t i = 0; i < rows[1].size(); ++i) {
      if (rows[1][i] == '1') zint += i < rows[0].size() && rows[0][i] == '1' ? 'T' : 's';
    }
    std::string ours;
    for (const model::Element& e : symbol.elements) {
      if (e.bar) ours += e.height == model::BarHeight::kHalf ? 's' : 'T';
    }
    return ours == zint ? "" : "bars " + ours + ", zint " + zint;
  });
}

// Intelligent Mail: the model's bar heights for the font string, letter by
// letter, against zint's encoding of the value, on every routing length.
std::string ImbValue(std::mt19937& rng) {
  static constexpr size_t kRouting[] = {0, 5, 9, 11};
  std::string v = Digits(rng, 1) + RandomText(rng, "01234", 1, 1) + Digits(rng, 18);
  const size_t n = kRouting[std::uniform_int_distribution<size_t>(0, 3)(rng)];
  if (n > 0) v += "-" + Digits(rng, n);
  return v;
}

TEST(ScanImb, BarsMatchZint) {
  Generator random = [](std::mt19937& rng) {
    Sample s;
    s.value = ImbValue(rng);
    return s;
  };
  std::vector<Sample> fixed = {Fixed("01234567094987654321", false, "published, no routing code"),
                               Fixed("01234567094987654321-01234567891", false, "published, 11 digits"),
                               Fixed("04999999999999999999-99999999999", false, "the largest value")};
  CompareWithZint("Intelligent Mail", MakeSamples(85, kCount, random, fixed), [](const Sample& s) -> std::string {
    model::Symbol symbol;
    std::string error;
    if (!SymbolOf(BC_SYM_IMB, s, symbol, error)) return error;
    std::string ours;
    for (const model::Element& e : symbol.elements) {
      if (!e.bar) continue;
      switch (e.height) {
        case model::BarHeight::kAscender: ours += 'A'; break;
        case model::BarHeight::kDescender: ours += 'D'; break;
        case model::BarHeight::kTracker: ours += 'T'; break;
        default: ours += 'F';
      }
    }
    const std::string zint = ZintImbBars(s.value);
    if (zint.empty()) return "zint gave no symbol";
    return ours == zint ? "" : "bars " + ours + ", zint " + zint;
  });
}

}  // namespace
}  // namespace tavo::scan
