// Argument parsing and formatting of the tavo command-line tool.
#include "cli.h"

#include <charconv>

namespace tavo::cli {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ParseInt(std::string_view text) {
  int32_t v = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return v;
}

std::optional<int32_t> ParseSymbology(std::string_view text) {
  for (const SymbologyEntry& row : SymbologyEntries()) {
    if (text == row.name) return row.code;
  }
  return ParseInt(text);
}

std::string_view SymbologyName(int32_t code) {
  for (const SymbologyEntry& row : SymbologyEntries()) {
    if (row.code == code) return row.name;
  }
  return "";
}

std::optional<std::string> DecodeValueEscapes(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    const char c = text[i];
    if (c == '\\') {
      out.push_back('\\');
    } else if (c == '0') {
      out.push_back('\xC7');  // NUL as data
    } else if (c == 'F' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '4') {
      constexpr char kFnc[] = {'\xB9', '\xB2', '\xB3', '\xBC'};  // FNC1..FNC4
      out.push_back(kFnc[text[++i] - '1']);
    } else if (c == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
               HexDigit(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::string EscapeBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '\\') {
      out += "\\\\";
    } else if (b >= 32 && b < 127) {
      out.push_back(ch);
    } else {
      out += "\\x";
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    }
  }
  return out;
}

}  // namespace tavo::cli
