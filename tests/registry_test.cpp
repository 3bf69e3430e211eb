// The registry's description of each symbology: names and aliases, the
// named options and the check argument they add up to, and the error codes
// it declares, held against what the library really returns.
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "symbologies/registry.h"
#include "test_support.h"

namespace tavo::test {
namespace {

TEST(RegistryNames, NamesAndAliasesInAnySpelling) {
  struct Case {
    const char* typed;
    int32_t code;  // -1: no symbology
  };
  const std::string too_long(100, 'a');  // outlives the table that points at it
  const Case kCases[] = {
      {"ean13", BC_SYM_EAN13},     {"EAN-13", BC_SYM_EAN13},   {"Ean_13", BC_SYM_EAN13},
      {"jan13", BC_SYM_EAN13},     {"UPC-A", BC_SYM_UPCA},     {"upc", BC_SYM_UPCA},
      {"gs1-128", BC_SYM_GS1_128}, {"GS1128", BC_SYM_GS1_128}, {"ucc-128", BC_SYM_GS1_128},
      {"dm", BC_SYM_DATAMATRIX},   {"Data Matrix", BC_SYM_DATAMATRIX}, {"QR-Code", BC_SYM_QR},
      {"Code 39", BC_SYM_CODE39},  {"interleaved-2-of-5", BC_SYM_I2OF5},
      {"", -1},                    {"-", -1},                  {"ean", -1},
      {"ean131", -1},              {"13", -1},                 {too_long.c_str(), -1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.typed);
    const SymbologyInfo* row = FindSymbologyByName(c.typed);
    EXPECT_EQ(row ? row->code : -1, c.code);
  }
}

// Each option's spelling and value, and the check argument that results;
// the bytes then equal those of the integer the ABI documents.
TEST(RegistryOptions, NamedOptionsGiveTheDocumentedCheckArgument) {
  struct Case {
    int32_t code;
    const char* option;
    const char* value;
    int32_t check;  // -1: refused
  };
  const Case kCases[] = {
      {BC_SYM_QR, "level", "L", 1},          {BC_SYM_QR, "LEVEL", "h", 4},
      {BC_SYM_QR, "level", "m", 2},          {BC_SYM_QR, "level", "X", -1},
      {BC_SYM_QR, "level", "", -1},          {BC_SYM_DATAMATRIX, "shape", "rect", 1},
      {BC_SYM_DATAMATRIX, "shape", "Square", 0}, {BC_SYM_DATAMATRIX, "gs1", "on", 2},
      {BC_SYM_DATAMATRIX, "gs1", "no", 0},   {BC_SYM_DATAMATRIX, "gs1", "maybe", -1},
      {BC_SYM_CODE39, "check-digit", "yes", 1}, {BC_SYM_MSI, "Check_Digit", "1", 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.option) + "=" + c.value);
    const OptionInfo* o = FindOption(*FindSymbology(c.code), c.option);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(OptionContribution(*o, c.value), c.check);
  }
  EXPECT_EQ(FindOption(*FindSymbology(BC_SYM_QR), "shape"), nullptr);
  EXPECT_EQ(FindOption(*FindSymbology(BC_SYM_EAN13), "check_digit"), nullptr);
}

// A flag's contribution changes the bytes only where the symbology has the
// option, and every choice of every option is a check argument the library
// takes (no choice maps to 32561).
TEST(RegistryOptions, EveryChoiceIsAcceptedByTheLibrary) {
  for (const SymbologyInfo& row : Symbologies()) {
    for (const OptionInfo& o : row.options) {
      std::vector<int32_t> checks;
      if (o.type == OptionType::kFlag) checks = {0, o.check};
      for (const OptionChoice& c : o.choices) checks.push_back(c.check);
      if (o.type == OptionType::kNumber) checks = {o.min * o.check, o.max * o.check};
      for (int32_t check : checks) {
        SCOPED_TRACE(std::string(row.name) + " " + std::string(o.name) + " " + std::to_string(check));
        const bool gs1 = o.name == "gs1" && check != 0;
        EXPECT_NE(Translate(row.code, gs1 ? "(01)09501101530003" : "12345670", check).rc,
                  BC_FONT_ERR_INVALID_CHECK_OPTION);
      }
    }
  }
}

// Values of every kind, the seeds the fuzzers start from, and random ones:
// every error a translation returns is among those its row declares.
TEST(RegistryErrors, EveryReturnedErrorIsDeclared) {
  std::vector<std::string> values = {"", "0", "A", "abc", "(01)1", "(99)x", "(0", "()", "(01)09501101530004",
                                     "(17)251301", "0-0", "01234567890123456789-123", "12345-67890",
                                     "1234567890128+12345", "\x80\xff", "\xc3\xa9", "(01)09501101530003\\",
                                     std::string(8000, 'A'), std::string(8000, '1')};
  std::mt19937 rng(7);
  const std::string alphabets[] = {"0123456789", "0123456789 -+", "ABCXYZ0123456789 -.$/+%", "\x01\x7f abc\xe9",
                                   "()[]0123456789ABC"};
  for (int n = 0; n < 600; ++n) {
    const std::string& a = alphabets[n % 5];
    std::string s;
    for (int k = static_cast<int>(rng() % 40); k > 0; --k) s += a[rng() % a.size()];
    values.push_back(s);
  }
  for (const SymbologyInfo& row : Symbologies()) {
    const std::set<int32_t> declared(row.errors.begin(), row.errors.end());
    for (int32_t check : {0, 1, 2, 4, 5, 8, -1}) {
      for (const std::string& v : values) {
        for (int32_t capacity : {1 << 14, 3}) {
          const int32_t rc = Translate(row.code, v, check, capacity).rc;
          if (rc != 0 && !declared.count(rc)) {
            ADD_FAILURE() << row.name << " returned undeclared " << rc << " for check " << check << " and '"
                          << v.substr(0, 40) << "'";
            return;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tavo::test
