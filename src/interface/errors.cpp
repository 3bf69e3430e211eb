// The error table: every code the library knows, with its English message.
#include "interface/errors.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tavo {
namespace {

struct ErrorText {
  int32_t code;
  bool prefixed;           // "ERROR: " goes in front
  std::string_view first;  // the text, or its first piece
  std::string_view second; // second piece, appended with nothing between
};

// Sorted by code.  Several codes are raised by no routine of this library
// (drawing, device and font errors); callers share the table all the same.
constexpr std::array<ErrorText, 66> kErrors{{
    {kIncompleteUpcA, false,
     "Incomplete number of UPC-A characters, must be 11, 13 (2 Digit supplement) or 16 (5 Digit "
     "supplement) digits.", ""},
    {kIncompleteUpcE, false,
     "Incomplete number of UPC-E characters, must be 6, 8 (2 Digit supplement) or 11 (5 Digit "
     "supplement) digits.", ""},
    {kIncompleteEan8, false,
     "Incomplete number of EAN/JAN characters, must be 7, 9 (2 Digit supplement) or 12 (5 Digit "
     "supplement) digits.", ""},
    {kIncompleteEan13, false,
     "Incomplete number of EAN/JAN characters, must be 12, 14 (2 Digit supplement) or 17 (5 Digit "
     "supplement) digits.", ""},
    {kIncompletePostNet, false,
     "Incomplete number of PostNet characters, must be 5, 9 (Zip+4) or 11 (Zip+4+DP) digits.", ""},
    {kIllegalCharacter, true, "Illegal character for this symbology.", ""},
    {kIllegalCharacterAscii, true,
     "Illegal character for this symbology.  Character must be in ASCII range 0...127.", ""},
    {kIllegalCharacterNumeric, true,
     "Illegal character for this symbology.  Character must be numeric.", ""},
    {kIllegalFirstDigit, true,
     "Illegal character for this symbology.  First digit must be a '0'.", ""},
    {kUpcEMissingZeros, true, "Missing a required placement of one or more zeros for UPC-E.", ""},
    {kTooManyCharacters, true, "Too many characters for this symbology.", ""},
    {kUnknownSymbology, true, "Software Logic error, unknown symbology type.", ""},
    {kReturnedStringTooLong, true, "Returned string too long for given buffer.", ""},
    {kLogic, true, "Software Logic error, contact manufacturer.", ""},
    {kInvalidValue, true, "Bar code value does not translate into a valid symbol ",
     "for the current symbology."},
    {kInvalidDeviceContext, true, "Invalid device context specified.", ""},
    {kInvalidSymbology, true, "Invalid bar code symbology specified.",
     "Check documentation for valid range."},
    {kInvalidRatio, true, "Invalid bar code ratio specified.", "Check documentation for valid range."},
    {kInvalidRotation, true, "Invalid rotation specified.", "Check documentation for valid range."},
    {kInvalidMagnification, true, "Invalid magnification specified.",
     "Check documentation for valid range."},
    {kInvalidUnits, true, "Invalid units specified.", "Check documentation for valid range."},
    {kInvalidBarWidth, true, "Invalid bar width specified.", "Check documentation for valid range."},
    {kInvalidBarHeight, true, "Invalid bar height specified.", "Check documentation for valid range."},
    {kCreateFont, true, "An error occurred while attempting to create the ", "specified font."},
    {kSelectFont, true, "An error occurred while attempting to select the ", "specified font."},
    {kDrawCaption, true, "An error occurred while attempting to draw the caption text.", ""},
    {kUnexpectedOutputCharacter, true,
     "Software Logic error, unexpected character encountered in translation output string.", ""},
    {kOutOfMemory, true, "Out of Memory.", ""},
    {kGs1UnknownAi, true, "Unknown GS1 Application Identifier.", ""},
    {kGs1UnbalancedParenthesis, true, "Unbalanced parenthesis in GS1 element string.  ",
     "Write \\( and \\) for parentheses in data."},
    {kGs1MissingAi, true, "Missing or empty GS1 Application Identifier.  ",
     "Each element string starts with its AI in parentheses."},
    {kGs1DataLength, true, "Wrong length of data for this GS1 Application Identifier.", ""},
    {kGs1DataNotNumeric, true, "Illegal character in GS1 Application Identifier data.  ",
     "Character must be numeric."},
    {kGs1DataNotCset82, true, "Illegal character in GS1 Application Identifier data.  ",
     "Character must be in the GS1 82-character set."},
    {kGs1DataNotCset39, true, "Illegal character in GS1 Application Identifier data.  ",
     "Character must be in the GS1 39-character set."},
    {kGs1CheckDigit, true, "Wrong check digit in GS1 Application Identifier data.", ""},
    {kGs1Date, true, "Invalid date or time in GS1 Application Identifier data.", ""},
    {kGs1Country, true, "Unknown ISO 3166 country code in GS1 Application Identifier data.", ""},
    {kGs1Currency, true, "Unknown ISO 4217 currency code in GS1 Application Identifier data.", ""},
    {kGs1PercentEncoding, true, "Invalid percent-encoding in GS1 Application Identifier data.  ",
     "'%' must be followed by two hex digits."},
    {kGs1Content, true, "Invalid value in GS1 Application Identifier data.", ""},
    {kGs1MissingCompanion, true,
     "GS1 Application Identifier requires another Application Identifier that is missing.", ""},
    {kGs1ExclusiveAis, true, "GS1 Application Identifiers that must not appear together.", ""},
    {kGs1RepeatedAi, true, "GS1 Application Identifier repeated with different data.", ""},
    {kGs1TooLong, true, "Too many characters for GS1-128, at most 48 data characters.", ""},
    {kGtinCheckDigit, true, "Wrong check digit in the GTIN or GS1 key.", ""},
    {kIncompleteGtin, false,
     "Incomplete number of GTIN characters, must be the full number with its check digit ",
     "(and a supplement)."},
    {kUpcENumberSystem, true,
     "Illegal character for this symbology.  UPC-E number system must be '0' or '1'.", ""},
    {kImbIllegalCharacter, true,
     "Illegal character for this symbology.  Character must be numeric, '-' or a space.", ""},
    {kImbIncompleteTracking, false,
     "Incomplete number of IMb tracking code characters, must be 20 digits.", ""},
    {kImbSeparatorInTracking, true,
     "Illegal character for this symbology.  '-' and spaces may only follow the 20-digit ",
     "tracking code."},
    {kImbIllegalBarcodeIdentifier, true,
     "Illegal character for this symbology.  Second digit of the tracking code must be 0 to 4.",
     ""},
    {kImbIncompleteRouting, false,
     "Incomplete number of IMb routing code characters, must be 0, 5 (Zip), 9 (Zip+4) or ",
     "11 (Zip+4+DP) digits."},
    {kTooLongForLargestSymbol, true, "Value too long for the largest symbol.", ""},
    {kInvalidCheckOption, true, "Invalid check option for this symbology.", ""},
    {kGs1DlNoPrimaryKey, true,
     "GS1 Digital Link: no primary key (such as AI 01 or 00) for the URI path.", ""},
    {kGs1DlQualifierSequence, true,
     "GS1 Digital Link: key qualifiers not in one permitted order for the primary key.", ""},
    {kGs1DlNotAttribute, true,
     "GS1 Digital Link: AI neither a qualifier of the key nor a permitted data attribute.", ""},
    {kGs1DlBadDomain, true,
     "GS1 Digital Link: domain must be http:// or https:// and a host, URI characters only.", ""},
    {kGs1DlBadUri, true,
     "GS1 Digital Link: not an http:// or https:// URI of URI characters and valid %-escapes.", ""},
    {kGs1DlRepeatedAi, true, "GS1 Digital Link: AI given more than once in the URI.", ""},
    {kGs1DlTooLong, true, "GS1 Digital Link: too long, at most 4096 data characters.", ""},
    {kDatabarLimitedIndicator, true,
     "Illegal character for this symbology.  GS1 DataBar Limited takes GTINs whose first digit is 0 or 1.", ""},
    {kDatabarExpandedCharacter, true,
     "Illegal character for this symbology.  GS1 DataBar Expanded encodes digits, letters and the marks of ISO/IEC 646 in GS1 data.",
     ""},
    {kDatabarExpandedTooLong, true,
     "Message too long.  GS1 DataBar Expanded holds at most 21 data characters (about 74 digits or 41 letters).", ""},
    {kDatabarExpandedSegments, true,
     "Invalid option.  GS1 DataBar Expanded Stacked takes 2 to 20 segments per row, even (0 for 4).", ""},
}};
constexpr bool CodeBefore(const ErrorText& a, const ErrorText& b) { return a.code < b.code; }
static_assert(std::is_sorted(kErrors.begin(), kErrors.end(), CodeBefore));

constexpr std::string_view kPrefix = "ERROR: ";

}  // namespace

void AppendErrorMessage(int32_t code, std::string& out) {
  const auto* it = std::lower_bound(kErrors.begin(), kErrors.end(), code,
                                    [](const ErrorText& e, int32_t c) { return e.code < c; });
  if (it == kErrors.end() || it->code != code) {
    out.append(kPrefix).append("Unknown error.");
    return;
  }
  if (it->prefixed) out.append(kPrefix);
  out.append(it->first).append(it->second);
}

}  // namespace tavo
