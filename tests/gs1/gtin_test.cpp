// Full GTINs (codes 16..19): the same symbols as codes 10, 9, 6 and 7 for
// the number without its check digit, a wrong check digit refused; UPC-E in
// number system 1; and the GS1 check digit export.
#include <random>
#include <vector>

#include "symbologies/encoders.h"
#include "test_support.h"
#include "upc_ean_oracle.h"

namespace tavo::test {
namespace {


struct GtinCode {
  int32_t code;
  int32_t older_code;  // the code that takes the number without its check digit
  size_t digits;
  const char* why;
};

const GtinCode kGtinCodes[] = {
    {BC_SYM_GTIN13, BC_SYM_EAN13, 13, "gtin13 as code 10"},
    {BC_SYM_GTIN8, BC_SYM_EAN8, 8, "gtin8 as code 9"},
    {BC_SYM_GTIN12, BC_SYM_UPCA, 12, "gtin12 as code 6"},
};

// Every supplement form: none, 2 or 5 digits after a space or a '+'.
std::string WithSupplement(std::mt19937& rng, std::string& plain) {
  const size_t kind = rng() % 5;
  if (kind == 0) return "";
  const std::string supplement = RandomDigits(rng, kind <= 2 ? 2 : 5);
  plain += supplement;
  return (kind % 2 ? " " : "+") + supplement;
}

TEST(Gtin, SameSymbolAsTheCodeWithoutCheckDigit) {
  std::mt19937 rng(1619);
  for (const GtinCode& g : kGtinCodes) {
    SCOPED_TRACE(g.why);
    for (int n = 0; n < 400; ++n) {
      const std::string data = RandomDigits(rng, g.digits - 1);
      std::string older = data;
      const std::string value = data + CheckOf(data) + WithSupplement(rng, older);
      SCOPED_TRACE(value);
      const Translation got = Translate(g.code, value);
      ASSERT_EQ(got.rc, 0);
      EXPECT_EQ(got.bytes, Translate(g.older_code, older).bytes);
    }
  }
}

TEST(Gtin, EveryWrongCheckDigitIsRefused) {
  std::mt19937 rng(47);
  for (const GtinCode& g : kGtinCodes) {
    SCOPED_TRACE(g.why);
    for (int n = 0; n < 50; ++n) {
      const std::string data = RandomDigits(rng, g.digits - 1);
      for (char c = '0'; c <= '9'; ++c) {
        if (c == CheckOf(data)) continue;
        EXPECT_EQ(Translate(g.code, data + c).rc, 32547) << data << c;  // buffer untouched
      }
    }
  }
}

struct Bad {
  Encoder encoder;
  std::string_view value;
  int32_t rc;
  const char* why;
};

const Bad kBad[] = {
    {EncodeGtin13, "590123412345", 32548, "GTIN-13 without its check digit"},
    {EncodeGtin13, "59012341234570", 32548, "GTIN-13 one digit long"},
    {EncodeGtin13, "590123412345712", 32548, "supplement without a separator"},
    {EncodeGtin13, "5901234123457 1", 32548, "one-digit supplement"},
    {EncodeGtin13, "5901234123457 123", 32548, "three-digit supplement"},
    {EncodeGtin13, "5901234123457 ", 32548, "separator and nothing after"},
    {EncodeGtin13, "5901234123457 1A", 32507, "letter in the supplement"},
    {EncodeGtin13, "590123412345X", 32507, "letter in the number"},
    {EncodeGtin13, "59X", 32507, "a letter is found before the length"},
    {EncodeGtin13, "5901234123457 12+34", 32507, "a second separator"},
    {EncodeGtin13, "5901234123457+12", 0, "'+' before the supplement"},
    {EncodeGtin13, "5901234123458", 32547, "wrong check digit"},
    {EncodeGtin13, "", 32548, "empty"},
    {EncodeGtin8, "96385074 12", 0, "EAN-8 with a supplement"},
    {EncodeGtin8, "96385075", 32547, "EAN-8 check digit"},
    {EncodeGtin12, "036000291452", 0, "UPC-A"},
    {EncodeGtin12, "036000291453", 32547, "UPC-A check digit"},
    {EncodeGtin12, "0360002914525", 32548, "GTIN-13 pasted into GTIN-12"},
    {EncodeUpcE8, "01234565", 0, "UPC-E number system 0"},
    {EncodeUpcE8, "11234562", 0, "UPC-E number system 1"},
    {EncodeUpcE8, "01234566", 32547, "UPC-E check digit"},
    {EncodeUpcE8, "21234565", 32549, "number system 2"},
    {EncodeUpcE8, "1234565", 32548, "seven digits"},
};

TEST(Gtin, BadValues) {
  for (const Bad& b : kBad) {
    SCOPED_TRACE(b.why);
    FontString out("keep");
    EXPECT_EQ(b.encoder(b.value, Options{}, out), b.rc);
    if (b.rc) {
      EXPECT_EQ(out.view(), "keep");
    }
  }
}

// The UPC-A number a UPC-E body stands for, written out from the
// zero-suppression rules by the last body digit.
std::string ExpandForTest(char ns, std::string_view e) {
  const std::string s(e);
  switch (e[5]) {
    case '0': case '1': case '2': return ns + s.substr(0, 2) + s[5] + "0000" + s.substr(2, 3);
    case '3': return ns + s.substr(0, 3) + "00000" + s.substr(3, 2);
    case '4': return ns + s.substr(0, 4) + "00000" + s[4];
    default: return ns + s.substr(0, 5) + "0000" + s[5];
  }
}

// UPC-E number system 0 is code 7 for the six body digits; number system 1
// prints the same digits with every set mirrored (odd '0'..'9' and even
// 'a'..'j' swapped) and caption '"' for its 1.
TEST(UpcE8, NumberSystemsZeroAndOne) {
  std::mt19937 rng(19);
  for (int n = 0; n < 400; ++n) {
    const std::string body = RandomDigits(rng, 6);
    std::string older = body;
    const std::string supplement = WithSupplement(rng, older);
    const std::string ns0 = "0" + body + CheckOf(ExpandForTest('0', body)) + supplement;
    const std::string ns1 = "1" + body + CheckOf(ExpandForTest('1', body)) + supplement;
    SCOPED_TRACE(ns0 + " / " + ns1);
    const Translation t0 = Translate(BC_SYM_UPCE8, ns0);
    const Translation t1 = Translate(BC_SYM_UPCE8, ns1);
    ASSERT_EQ(t0.rc, 0);
    ASSERT_EQ(t1.rc, 0);
    const std::string& got0 = t0.bytes;
    const std::string& got1 = t1.bytes;
    EXPECT_EQ(got0, Translate(BC_SYM_UPCE, older).bytes);
    // Mirror the NS 0 symbol of the NS 1 check digit: rebuild it from NS 0
    // with the check digit NS 1 has.
    ASSERT_GE(got1.size(), 9u);
    EXPECT_EQ(got1[0], '"');
    EXPECT_EQ(got1[1], '~');
    EXPECT_EQ(got1[8], '^');
    const char check1 = ns1[7];
    // The sets of NS 0 for check digit c (code 7 on a body with that check).
    const std::string_view kNs0Sets[] = {"EEEOOO", "EEOEOO", "EEOOEO", "EEOOOE", "EOEEOO",
                                         "EOOEEO", "EOOOEE", "EOEOEO", "EOEOOE", "EOOEOE"};
    for (size_t k = 0; k < 6; ++k) {
      const bool ns0_even = kNs0Sets[check1 - '0'][k] == 'E';
      const char g = got1[2 + k];
      const bool even = g >= 'a' && g <= 'j';
      EXPECT_EQ(even, !ns0_even) << "digit " << k;
      const char g0 = got0[2 + k];  // the body in its normal form
      EXPECT_EQ(even ? g - 49 : g, g0 >= 'a' ? g0 - 49 : g0) << "digit " << k;
    }
  }
}

TEST(Gs1CheckDigit, ComputeAndVerify) {
  std::mt19937 rng(17);
  for (size_t digits = 7; digits <= 17; ++digits) {
    for (int n = 0; n < 20; ++n) {
      const std::string key = RandomDigits(rng, digits);
      SCOPED_TRACE(key);
      int32_t digit = -1;
      ASSERT_EQ(BC_GS1CheckDigit(key.c_str(), 0, &digit), 0);
      EXPECT_EQ(digit, CheckOf(key) - '0');
      const std::string full = key + CheckOf(key);
      digit = -1;
      EXPECT_EQ(BC_GS1CheckDigit(full.c_str(), 1, &digit), 0);
      EXPECT_EQ(digit, CheckOf(key) - '0');
      const std::string wrong = key + static_cast<char>('0' + (CheckOf(key) - '0' + 1) % 10);
      digit = -1;
      EXPECT_EQ(BC_GS1CheckDigit(wrong.c_str(), 1, &digit), 32547);
      EXPECT_EQ(digit, -1) << "written on error";
    }
  }
  struct Case { const char* key; int32_t verify; int32_t rc; const char* why; };
  const Case kCases[] = {
      {"123456", 0, 32548, "six digits"},   {"123456789012345678", 0, 32548, "eighteen"},
      {"1234567", 1, 32548, "seven with check"}, {"12345A7", 0, 32507, "letter"},
      {"", 1, 32548, "empty"},              {nullptr, 0, 32548, "null reads as empty"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    int32_t digit = -1;
    EXPECT_EQ(BC_GS1CheckDigit(c.key, c.verify, &digit), c.rc);
    EXPECT_EQ(digit, -1);
  }
  EXPECT_EQ(BC_GS1CheckDigit("106141411234567897", 1, nullptr), 0) << "null digit not written";
}

}  // namespace
}  // namespace tavo::test
