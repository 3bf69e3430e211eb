// The text encodings of the files spreadsheets export for a mail merge:
// UTF-8 ("CSV UTF-8", with a byte order mark), Windows-1252 (Excel's "CSV"
// in the Americas and western Europe) and UTF-16 ("Unicode Text", little
// endian with a byte order mark), and the conversions tavo batch needs
// between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavo::text {

enum class Encoding : uint8_t { kUtf8, kWindows1252, kUtf16Le, kUtf16Be };

// "utf-8", "windows-1252", "utf-16" (little endian) and "utf-16be".
std::string_view EncodingName(Encoding e);
// Reads those names, and a few spellings people use ("utf8", "cp1252",
// "latin1" is refused: it is not the same table).  nullopt for others.
std::optional<Encoding> ParseEncoding(std::string_view name);

// The byte order mark of an encoding ("" for Windows-1252), and the
// encoding a file's first bytes announce by theirs (nullopt: none).
std::string_view ByteOrderMark(Encoding e);
std::optional<Encoding> EncodingOfMark(std::string_view first_bytes);

// Checks UTF-8 fed in pieces of any size (a sequence may straddle two).
class Utf8Validator {
 public:
  bool Feed(std::string_view bytes);  // false once anything fed is malformed
  bool Finish() const { return ok_ && need_ == 0; }

 private:
  bool ok_ = true;
  int need_ = 0;         // continuation bytes still due
  uint32_t partial_ = 0; // the code point so far
  uint32_t min_ = 0;     // the least it may be (no overlong forms)
};

// Decodes one UTF-8 sequence at s[i] and moves i past it: the code point,
// or kBadCodePoint for a malformed, overlong, surrogate or cut sequence.
inline constexpr uint32_t kBadCodePoint = 0xFFFFFFFF;
uint32_t NextCodePoint(std::string_view s, size_t& i);

// A Windows-1252 byte as its Unicode code point (the five bytes the code
// page leaves undefined as the C1 controls of the same number, as Windows
// maps them), and the reverse (-1: no byte).
uint32_t CodePointOf1252(unsigned char b);
int ByteOf1252(uint32_t cp);

bool IsAscii(std::string_view s);
void AppendUtf8(std::string& out, uint32_t cp);
// Windows-1252 bytes as UTF-8.
void Append1252AsUtf8(std::string& out, std::string_view bytes);
// UTF-8 as Windows-1252: false, with the first code point that has no byte
// (kBadCodePoint for malformed UTF-8) in `bad`, when it cannot be done.
bool Utf8To1252(std::string_view text, std::string& out, uint32_t& bad);

// "the character U+6771" or "a byte sequence that is not UTF-8".
std::string DescribeCodePoint(uint32_t cp);

// Converts text from the encoding a CSV file is parsed in (UTF-8 or
// Windows-1252: one byte for each delimiter, quote and line end) to the
// encoding written, in pieces that may split a UTF-8 sequence (it keeps the
// unfinished bytes for the next piece).
class Transcoder {
 public:
  Transcoder(Encoding from, Encoding to) : from_(from), to_(to) {}
  bool Identity() const { return from_ == to_; }
  // Appends `text` converted to `out`; false (with the code point in
  // bad()) when a character has no form in the target encoding.
  bool Append(std::string& out, std::string_view text);
  bool Finish() const { return carry_.empty(); }
  uint32_t bad() const { return bad_; }

 private:
  bool AppendUtf8Source(std::string& out, std::string_view text);
  bool Put(std::string& out, uint32_t cp);

  Encoding from_;
  Encoding to_;
  std::string carry_;  // the start of a UTF-8 sequence cut at a piece's end
  uint32_t bad_ = 0;
};

// Decodes UTF-16 in pieces (a code unit or a surrogate pair may straddle
// two) into UTF-8.  A lone surrogate is an error.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(bool big_endian) : big_endian_(big_endian) {}
  bool Append(std::string& out, std::string_view bytes);
  bool Finish() const { return !have_byte_ && high_ == 0; }

 private:
  bool Unit(std::string& out, uint32_t unit);

  bool big_endian_;
  bool have_byte_ = false;
  unsigned char byte_ = 0;
  uint32_t high_ = 0;  // a high surrogate waiting for its low half
};

}  // namespace tavo::text
