// GS1-128 and the full GTINs read back by a real scanner: seeded element
// strings over many Application Identifiers, and GTINs with and without
// add-ons, translated, drawn through the symbol model and read by zbar.
// UPC-E in number system 1, which zbar does not decode, is compared bar for
// bar with zint.
//
// zbar reports GS1-128 as "CODE-128" with the modifier "GS1" (the leading
// FNC1) and the element strings as data, GS (0x1D) standing for each FNC1
// that ends a variable-length element before the last.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "scanner.h"
#include "test_support.h"
#include "upc_ean_oracle.h"

namespace tavo::scan {
namespace {

std::mt19937* g_rng = nullptr;  // the running test's generator (set per test)

size_t Between(size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(*g_rng); }

std::string Pick(std::string_view alphabet, size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += alphabet[Between(0, alphabet.size() - 1)];
  return s;
}

std::string Digits(size_t n) { return Pick("0123456789", n); }
std::string WithCheck(size_t n) {
  const std::string d = Digits(n);
  return d + test::CheckOf(d);
}
std::string Date(bool day_zero) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02zu%02zu%02zu", Between(0, 99), Between(1, 12),
                day_zero && Between(0, 4) == 0 ? size_t{0} : Between(1, 28));
  return buf;
}

// The 82-character set, and the part of it plain enough for an address.
constexpr std::string_view kCset82 =
    "!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kPlain = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-./";

// One AI the generator may add: its digits, whether it has a predefined
// length (written here from the GS1 table of AI prefixes, not from the
// dictionary the library reads), and its data for at most `room` characters
// (empty when it cannot fit).
struct AiKind {
  const char* ai;
  size_t min_data;
  std::string (*data)(size_t room);
};

bool PredefinedLength(std::string_view ai) {
  static constexpr std::string_view kPrefixes[] = {"00", "01", "02", "03", "04", "11", "12",
                                                   "13", "14", "15", "16", "17", "18", "19",
                                                   "20", "23", "31", "32", "33", "34", "35",
                                                   "36", "41"};
  return std::find(std::begin(kPrefixes), std::end(kPrefixes), ai.substr(0, 2)) !=
         std::end(kPrefixes);
}

std::string Text(std::string_view set, size_t room, size_t max) {
  return Pick(set, Between(1, std::min(room, max)));
}

// AIs beside a GTIN (01); each at most once.
const AiKind kTradeItem[] = {
    {"10", 1, [](size_t r) { return Text(kCset82, r, 20); }},
    {"11", 6, [](size_t) { return Date(true); }},
    {"13", 6, [](size_t) { return Date(true); }},
    {"15", 6, [](size_t) { return Date(true); }},
    {"17", 6, [](size_t) { return Date(true); }},
    {"20", 2, [](size_t) { return Digits(2); }},
    {"21", 1, [](size_t r) { return Text(kCset82, r, 20); }},
    {"22", 1, [](size_t r) { return Text(kCset82, r, 20); }},
    {"240", 1, [](size_t r) { return Text(kCset82, r, 30); }},
    {"241", 1, [](size_t r) { return Text(kPlain, r, 30); }},
    {"242", 1, [](size_t r) { return Digits(Between(1, std::min<size_t>(r, 6))); }},
    {"30", 1, [](size_t r) { return Digits(Between(1, std::min<size_t>(r, 8))); }},
    {"3103", 6, [](size_t) { return Digits(6); }},
    {"3122", 6, [](size_t) { return Digits(6); }},
    {"3205", 6, [](size_t) { return Digits(6); }},
    {"3570", 6, [](size_t) { return Digits(6); }},
    {"7003", 10, [](size_t) { return Date(false) + "1359"; }},
    {"7006", 6, [](size_t) { return Date(false); }},
    {"422", 3, [](size_t) { return std::string(Between(0, 1) ? "276" : "840"); }},
    {"7005", 1, [](size_t r) { return Text(kPlain, r, 12); }},
    {"8012", 1, [](size_t r) { return Text(kCset82, r, 20); }},
    {"710", 1, [](size_t r) { return Text(kPlain, r, 20); }},
    {"91", 1, [](size_t r) { return Text(kCset82, r, 90); }},
    {"99", 1, [](size_t r) { return Text(kCset82, r, 90); }},
    {"414", 13, [](size_t) { return WithCheck(12); }},
};

// AIs beside an SSCC (00).
const AiKind kLogistic[] = {
    {"400", 1, [](size_t r) { return Text(kCset82, r, 30); }},
    {"403", 1, [](size_t r) { return Text(kPlain, r, 30); }},
    {"410", 13, [](size_t) { return WithCheck(12); }},
    {"413", 13, [](size_t) { return WithCheck(12); }},
    {"420", 1, [](size_t r) { return Text(kPlain, r, 20); }},
    {"4300", 1, [](size_t r) { return Text(kPlain, r, 35); }},
    {"4302", 1, [](size_t r) { return Text(kPlain, r, 70); }},
    {"4307", 2, [](size_t) { return std::string(Between(0, 1) ? "DE" : "JP"); }},
    {"4321", 1, [](size_t) { return Digits(1) < "5" ? std::string("0") : std::string("1"); }},
    {"4326", 6, [](size_t) { return Date(false); }},
    {"3302", 6, [](size_t) { return Digits(6); }},
    {"8002", 1, [](size_t r) { return Text(kCset82, r, 20); }},
    {"90", 1, [](size_t r) { return Text(kCset82, r, 30); }},
};

// AIs that need no key beside them.
const AiKind kFree[] = {
    {"400", 1, [](size_t r) { return Text(kCset82, r, 30); }},
    {"410", 13, [](size_t) { return WithCheck(12); }},
    {"420", 1, [](size_t r) { return Text(kPlain, r, 20); }},
    {"8002", 1, [](size_t r) { return Text(kCset82, r, 20); }},
    {"91", 1, [](size_t r) { return Text(kCset82, r, 90); }},
};

struct Element {
  std::string ai;
  std::string data;
};

// A value's element strings: a GTIN or an SSCC first (or, now and then, only
// AIs that need no key), then AIs that may stand beside it, as many as 48
// data characters allow; the last one sometimes fills them exactly.
std::vector<Element> RandomElements() {
  std::vector<Element> out;
  const size_t kind = Between(0, 9);
  const AiKind* pool = kind < 7 ? std::begin(kTradeItem) : kind < 9 ? std::begin(kLogistic) : std::begin(kFree);
  const size_t pool_size = kind < 7 ? std::size(kTradeItem) : kind < 9 ? std::size(kLogistic) : std::size(kFree);
  if (kind < 7) out.push_back({"01", WithCheck(13)});
  else if (kind < 9) out.push_back({"00", WithCheck(17)});
  else out.push_back({"90", Pick(kCset82, Between(1, 30))});
  size_t used = out[0].ai.size() + out[0].data.size();
  const size_t wanted = Between(0, 4);
  for (size_t tries = 0; tries < 12 && out.size() <= wanted; ++tries) {
    const AiKind& k = pool[Between(0, pool_size - 1)];
    const bool taken = std::any_of(out.begin(), out.end(), [&](const Element& e) { return e.ai == k.ai; });
    const size_t separator = PredefinedLength(out.back().ai) ? 0 : 1;
    const size_t ai_len = std::string_view(k.ai).size();
    if (taken || used + separator + ai_len + k.min_data > 48) continue;
    std::string data = k.data(48 - used - separator - ai_len);
    if (data.empty()) continue;
    used += separator + ai_len + data.size();
    out.push_back({k.ai, data});
  }
  return out;
}

std::string ElementStringValue(const std::vector<Element>& elements) {
  std::string v;
  for (const Element& e : elements) {
    v += "(" + e.ai + ")";
    for (char c : e.data) {
      if (c == '(' || c == ')') v += '\\';
      v += c;
    }
  }
  return v;
}

std::string ExpectedData(const std::vector<Element>& elements) {
  std::string d;
  for (size_t i = 0; i < elements.size(); ++i) {
    d += elements[i].ai + elements[i].data;
    if (i + 1 < elements.size() && !PredefinedLength(elements[i].ai)) d += '\x1D';
  }
  return d;
}

std::string Printable(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    char buf[8];
    std::snprintf(buf, sizeof buf, c >= 32 && c < 127 ? "%c" : "\\x%02X", c);
    out += buf;
  }
  return out;
}

model::ModelOptions RandomModel() {
  model::ModelOptions m;
  m.caption = Between(0, 1) == 1;
  return m;
}

TEST(ScanGs1_128, ElementStringsReadBackAsGs1) {
  // Static, so the global never points at a finished test's local.
  static std::mt19937 rng;
  rng.seed(1215);
  g_rng = &rng;
  constexpr size_t kCount = 600;
  PictureBatch batch("gs1-128");
  ASSERT_FALSE(batch.dir().empty());
  std::vector<std::vector<Element>> values;
  std::vector<std::string> ais;
  size_t longest = 0;
  for (size_t i = 0; i < kCount; ++i) {
    std::vector<Element> elements = RandomElements();
    const std::string value = ElementStringValue(elements);
    auto t = test::Translate(BC_SYM_GS1_128, value);
    ASSERT_EQ(t.rc, 0) << value;
    Drawing drawing;
    drawing.model = RandomModel();
    drawing.module = static_cast<double>(Between(2, 3));
    std::string error;
    ASSERT_TRUE(batch.Add(BC_SYM_GS1_128, t.bytes, drawing, error)) << value << ": " << error;
    for (const Element& e : elements) ais.push_back(e.ai);
    longest = std::max(longest, ExpectedData(elements).size());
    values.push_back(std::move(elements));
  }
  std::vector<std::vector<Reading>> readings;
  std::string error;
  ASSERT_TRUE(batch.ScanWithZbar({"disable", "code128.enable"}, readings, error)) << error;
  size_t read = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string want = ExpectedData(values[i]);
    const std::vector<Reading>& r = readings[i];
    if (r.size() == 1 && r[0].type == "CODE-128" && r[0].modifiers == "GS1" && r[0].data == want) {
      ++read;
    } else {
      ADD_FAILURE() << ElementStringValue(values[i]) << ": wanted GS1 \"" << Printable(want)
                    << "\", read " << (r.empty() ? "nothing" : r[0].type + " \"" +
                                       Printable(r[0].data) + "\" [" + r[0].modifiers + "]");
    }
  }
  std::sort(ais.begin(), ais.end());
  ais.erase(std::unique(ais.begin(), ais.end()), ais.end());
  std::printf("[scan] GS1-128: %zu values over %zu AIs, longest %zu data characters, %zu read as GS1\n",
              values.size(), ais.size(), longest, read);
  EXPECT_GE(ais.size(), 30u);
  EXPECT_EQ(longest, 48u);
}

// ---------------------------------------------------------------------------
// Full GTINs: read as the number with its check digit, the add-on apart.

// Six UPC-E digits in their normal form, as readers report them: the run of
// zeros the last digit suppresses is not one a shorter rule takes.
std::string NormalUpcEBody() {
  std::string body = Digits(6);
  while ((body[5] == '3' && body[2] <= '2') || (body[5] == '4' && body[3] == '0') ||
         (body[5] >= '5' && body[4] == '0')) {
    body = Digits(6);
  }
  return body;
}

struct GtinCode {
  int32_t code;
  size_t digits;
  const char* zbar_type;
  const char* setting;
};

TEST(ScanGtin, ReadsAsTheFullNumberAndAddOn) {
  const GtinCode kCodes[] = {{BC_SYM_GTIN13, 13, "EAN-13", "ean13.enable"},
                             {BC_SYM_GTIN8, 8, "EAN-8", "ean8.enable"},
                             {BC_SYM_GTIN12, 12, "UPC-A", "upca.enable"},
                             {BC_SYM_UPCE8, 8, "UPC-E", "upce.enable"}};
  // Static, so the global never points at a finished test's local.
  static std::mt19937 rng;
  rng.seed(1619);
  g_rng = &rng;
  for (const GtinCode& g : kCodes) {
    PictureBatch batch(g.zbar_type);
    std::vector<std::string> numbers, addons;
    for (int i = 0; i < 300; ++i) {
      std::string number;
      if (g.code == BC_SYM_UPCE8) {
        // Number system 0 (zbar reads no other); the check digit of the
        // expansion.
        const std::string body = NormalUpcEBody();
        std::string expanded;
        switch (body[5]) {
          case '0': case '1': case '2': expanded = "0" + body.substr(0, 2) + body[5] + "0000" + body.substr(2, 3); break;
          case '3': expanded = "0" + body.substr(0, 3) + "00000" + body.substr(3, 2); break;
          case '4': expanded = "0" + body.substr(0, 4) + "00000" + body[4]; break;
          default: expanded = "0" + body.substr(0, 5) + "0000" + body[5]; break;
        }
        number = "0" + body + test::CheckOf(expanded);
      } else {
        number = WithCheck(g.digits - 1);
      }
      const size_t a = Between(0, 2);
      const std::string addon = a == 0 ? "" : Digits(a == 1 ? 2 : 5);
      const std::string value = number + (addon.empty() ? "" : (Between(0, 1) ? " " : "+") + addon);
      auto t = test::Translate(g.code, value);
      ASSERT_EQ(t.rc, 0) << value;
      Drawing drawing;
      drawing.model = RandomModel();
      std::string error;
      ASSERT_TRUE(batch.Add(g.code, t.bytes, drawing, error)) << value << ": " << error;
      numbers.push_back(number);
      addons.push_back(addon);
    }
    std::vector<std::vector<Reading>> readings;
    std::string error;
    // UPC-A and UPC-E are read by the EAN-13 decoder: it stays on beside them.
    ASSERT_TRUE(batch.ScanWithZbar({"disable", "ean13.enable", g.setting, "ean2.enable", "ean5.enable"},
                                   readings, error))
        << error;
    size_t read = 0;
    for (size_t i = 0; i < numbers.size(); ++i) {
      std::vector<std::string> want = {std::string(g.zbar_type) + " " + numbers[i]};
      if (!addons[i].empty()) want.push_back((addons[i].size() == 2 ? "EAN-2 " : "EAN-5 ") + addons[i]);
      std::vector<std::string> got;
      for (const Reading& r : readings[i]) got.push_back(r.type + " " + r.data);
      std::sort(want.begin(), want.end());
      std::sort(got.begin(), got.end());
      if (got == want) {
        ++read;
      } else {
        std::string text;
        for (const std::string& r : got) text += " [" + r + "]";
        ADD_FAILURE() << g.zbar_type << " " << numbers[i] << " " << addons[i] << ": read"
                      << (got.empty() ? " nothing" : text);
      }
    }
    std::printf("[scan] %s (code %d): %zu values, %zu read as the full number\n", g.zbar_type,
                g.code, numbers.size(), read);
  }
}

// zbar reads no UPC-E of number system 1; zint draws it, so the bars of
// every number-system-1 value must be zint's.
TEST(ScanGtin, UpcENumberSystemOneMatchesZint) {
  // Static, so the global never points at a finished test's local.
  static std::mt19937 rng;
  rng.seed(191);
  g_rng = &rng;
  size_t same = 0;
  for (int i = 0; i < 60; ++i) {
    const std::string body = NormalUpcEBody();
    const std::vector<std::string> rows = ZintRows("-b 37 -d 1" + body);
    ASSERT_EQ(rows.size(), 1u) << body;
    // zint adds the check digit; read it from its own 8-digit text by
    // trying the ten, the one the library accepts being the only right one.
    std::string font;
    for (char c = '0'; c <= '9' && font.empty(); ++c) {
      auto t = test::Translate(BC_SYM_UPCE8, "1" + body + c);
      if (t.rc == 0) font = t.bytes;
    }
    ASSERT_FALSE(font.empty()) << body;
    model::Symbol symbol;
    model::ModelError error;
    ASSERT_TRUE(model::BuildSymbol(BC_SYM_UPCE8, font, {}, symbol, error)) << error.reason;
    std::string bars;
    for (const model::Element& e : symbol.elements) {
      bars += std::string(static_cast<size_t>(e.width + 0.5), e.bar ? '1' : '0');
    }
    EXPECT_EQ(bars, rows[0]) << "1" << body;
    same += bars == rows[0];
  }
  std::printf("[scan] UPC-E number system 1: %zu of 60 bar for bar as zint\n", same);
}

}  // namespace
}  // namespace tavo::scan
