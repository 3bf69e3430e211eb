// Error codes of the library and the assembly of their English messages.
#pragma once

#include <cstdint>
#include <string>

namespace tavo {

enum Error : int32_t {
  kOk = 0,
  kIncompleteUpcA = 32500,
  kIncompleteUpcE = 32501,
  kIncompleteEan8 = 32502,
  kIncompleteEan13 = 32503,
  kIncompletePostNet = 32504,
  kIllegalCharacter = 32505,
  kIllegalCharacterAscii = 32506,
  kIllegalCharacterNumeric = 32507,
  kIllegalFirstDigit = 32508,
  kUpcEMissingZeros = 32509,
  kTooManyCharacters = 32510,
  kUnknownSymbology = 32511,
  kReturnedStringTooLong = 32512,
  // 32513 to 32526 are kept for their messages only (BC_StrErr answers
  // them, and callers may hold the numbers): no entry returns them.  Most
  // name operations this library does not perform (device contexts, fonts,
  // drawing); kLogic stands for an internal inconsistency in the UPC-E
  // helpers that their callers' checks rule out.
  kLogic = 32513,
  kInvalidValue = 32514,
  kInvalidDeviceContext = 32515,
  kInvalidSymbology = 32516,
  kInvalidRatio = 32517,
  kInvalidRotation = 32518,
  kInvalidMagnification = 32519,
  kInvalidUnits = 32520,
  kInvalidBarWidth = 32521,
  kInvalidBarHeight = 32522,
  kCreateFont = 32523,
  kSelectFont = 32524,
  kDrawCaption = 32525,
  kUnexpectedOutputCharacter = 32526,
  kOutOfMemory = 32529,
  // GS1-128 element strings and full GTINs.
  kGs1UnknownAi = 32530,
  kGs1UnbalancedParenthesis = 32531,
  kGs1MissingAi = 32532,
  kGs1DataLength = 32533,
  kGs1DataNotNumeric = 32534,
  kGs1DataNotCset82 = 32535,
  kGs1DataNotCset39 = 32536,
  kGs1CheckDigit = 32537,
  kGs1Date = 32538,
  kGs1Country = 32539,
  kGs1Currency = 32540,
  kGs1PercentEncoding = 32541,
  kGs1Content = 32542,
  kGs1MissingCompanion = 32543,
  kGs1ExclusiveAis = 32544,
  kGs1RepeatedAi = 32545,
  kGs1TooLong = 32546,
  kGtinCheckDigit = 32547,
  kIncompleteGtin = 32548,
  kUpcENumberSystem = 32549,
  // Intelligent Mail: one code per fault of the value.
  kImbIllegalCharacter = 32550,
  kImbIncompleteTracking = 32551,
  kImbSeparatorInTracking = 32552,
  kImbIllegalBarcodeIdentifier = 32553,
  kImbIncompleteRouting = 32554,
  kTooLongForLargestSymbol = 32560,
  kInvalidCheckOption = 32561,
  // GS1 Digital Link URIs (BC_GS1DigitalLink, BC_GS1FromDigitalLink).
  kGs1DlNoPrimaryKey = 32570,
  kGs1DlQualifierSequence = 32571,
  kGs1DlNotAttribute = 32572,
  kGs1DlBadDomain = 32573,
  kGs1DlBadUri = 32574,
  kGs1DlRepeatedAi = 32575,
  kGs1DlTooLong = 32576,
  kDatabarLimitedIndicator = 32585,
  kDatabarExpandedCharacter = 32586,
  kDatabarExpandedTooLong = 32587,
  kDatabarExpandedSegments = 32588,
};

// Replacement text when a message does not fit the caller's buffer.
inline constexpr char kMessageTooBig[] = "DLL logic error: error message too big";

// Appends the full message of `code` to `out`: "ERROR: " and the text, without
// the prefix for the incomplete-length codes, "Unknown error." for codes not in
// the table.
void AppendErrorMessage(int32_t code, std::string& out);

}  // namespace tavo
