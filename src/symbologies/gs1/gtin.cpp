// Full GTINs as printed (GTIN-13, GTIN-8, GTIN-12 and UPC-E in its 8-digit
// form), check digit included and verified, optionally followed by a
// supplement; and the check digit of any GS1 key.
#include <string_view>

#include "symbologies/encoders.h"
#include "symbologies/gs1/gs1.h"
#include "symbologies/upce.h"
#include "symbologies/upc_ean.h"

namespace tavo {
namespace {

// Splits "NUMBER[ SUPPLEMENT]" or "NUMBER[+SUPPLEMENT]" and checks it: digits
// (32507), a number of `digits` digits and a supplement of 2 or 5 (32548).
int32_t SplitGtinValue(std::string_view value, size_t digits, std::string_view& number,
                       std::string_view& supplement) {
  // One pass: anything but digits and the first separator is 32507.
  size_t separator = value.npos;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (static_cast<unsigned char>(c - '0') <= 9) continue;
    if ((c == ' ' || c == '+') && separator == value.npos) {
      separator = i;
      continue;
    }
    return kIllegalCharacterNumeric;
  }
  number = value.substr(0, separator);
  supplement = separator == value.npos ? std::string_view() : value.substr(separator + 1);
  if (number.size() != digits) return kIncompleteGtin;
  if (separator != value.npos && supplement.size() != 2 && supplement.size() != 5) {
    return kIncompleteGtin;
  }
  return kOk;
}

// Checks the full number's check digit, then runs the encoder of the same
// symbol on the number without it, followed by the supplement.
template <size_t kDigits>
int32_t EncodeWithoutCheckDigit(std::string_view value, Encoder encoder, const Options& options,
                                FontString& out) {
  std::string_view number, supplement;
  if (int32_t rc = SplitGtinValue(value, kDigits, number, supplement)) return rc;
  if (UpcEanCheckDigitOf<kDigits - 1>(number.data()) != number.back()) return kGtinCheckDigit;
  const std::string_view data = number.substr(0, kDigits - 1);
  // Without a supplement the data is the front of the value itself.
  if (supplement.empty()) return encoder(data, options, out);
  FontString inner(data);
  inner.append(supplement);
  return encoder(inner, options, out);
}

}  // namespace

int32_t EncodeGtin13(std::string_view value, const Options& options, FontString& out) {
  return EncodeWithoutCheckDigit<13>(value, EncodeEan13, options, out);
}

int32_t EncodeGtin8(std::string_view value, const Options& options, FontString& out) {
  return EncodeWithoutCheckDigit<8>(value, EncodeEan8, options, out);
}

int32_t EncodeGtin12(std::string_view value, const Options& options, FontString& out) {
  return EncodeWithoutCheckDigit<12>(value, EncodeUpcA, options, out);
}

int32_t EncodeUpcE8(std::string_view value, const Options&, FontString& out) {
  std::string_view number, supplement;
  if (int32_t rc = SplitGtinValue(value, 8, number, supplement)) return rc;
  const char number_system = number[0];
  if (number_system != '0' && number_system != '1') return kUpcENumberSystem;
  const std::string_view body = number.substr(1, 6);
  // The check digit is that of the UPC-A number the body stands for.
  UpcANumber upca;
  ExpandUpcE(body, upca);
  upca[0] = number_system;
  const char check = UpcEanCheckDigitOf<std::tuple_size_v<UpcANumber>>(upca.data());
  if (check != number.back()) return kGtinCheckDigit;
  // The digits and the supplement are checked: the symbol of either number
  // system is the body's, as UPC-E prints it.
  return AppendUpcENumber(upca, check, supplement, out);
}

int32_t Gs1KeyCheckDigit(std::string_view key, bool verify, char& digit) {
  if (int32_t rc = ValidateDigits(key)) return rc;
  const size_t data = verify ? key.size() - (key.empty() ? 0 : 1) : key.size();
  if (data < kGs1KeyMinDigits || data > kGs1KeyMaxDigits) return kIncompleteGtin;
  const char check = Gs1CheckDigit(key.substr(0, data));
  if (verify && key.back() != check) return kGtinCheckDigit;
  digit = check;
  return kOk;
}

}  // namespace tavo
