// Argument parsing and formatting of the tavo command-line tool.
#include "cli.h"

#include <algorithm>
#include <cctype>
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
  if (const SymbologyInfo* row = FindSymbologyByName(text)) return row->code;
  return ParseInt(text);
}

namespace {

// The edit distance without regard to case, an exchange of two adjacent
// characters counting as one edit ("ean31" is one from "ean13"): the
// optimal string alignment distance, over three rows of the table.
size_t EditDistance(std::string_view a, std::string_view b) {
  auto same = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  };
  std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    before.swap(previous);
    previous.swap(row);
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1])) {
        row[j] = std::min(row[j], before[j - 2] + 1);
      }
    }
  }
  return row[b.size()];
}

}  // namespace

std::vector<std::string> NearestWords(std::string_view typed, std::span<const std::string> candidates) {
  std::vector<std::pair<size_t, std::string>> scored;
  for (const std::string& c : candidates) {
    const size_t d = EditDistance(typed, c);
    const size_t limit = std::max<size_t>(1, std::max(typed.size(), c.size()) / 3);
    const bool prefix = typed.size() >= 2 && c.size() > typed.size() && EditDistance(typed, c.substr(0, typed.size())) == 0;
    if (d <= limit || prefix) scored.emplace_back(prefix ? 0 : d, c);
  }
  std::stable_sort(scored.begin(), scored.end(), [](auto& x, auto& y) { return x.first < y.first; });
  std::vector<std::string> out;
  for (auto& [d, c] : scored) {
    if (std::find(out.begin(), out.end(), c) == out.end() && out.size() < 3) out.push_back(c);
  }
  return out;
}

std::string DidYouMean(std::span<const std::string> nearest) {
  if (nearest.empty()) return "";
  std::string text = " (did you mean ";
  for (size_t i = 0; i < nearest.size(); ++i) text += (i ? ", " : "") + nearest[i];
  return text + "?)";
}

std::string UnknownSymbologyMessage(std::string_view text) {
  std::vector<std::string> names;
  for (const SymbologyInfo& row : SymbologyEntries()) {
    names.emplace_back(row.name);
  }
  // Compared as names are, so that "EAN-31" is as near to ean13 as "ean31".
  const std::string normal(detail::NormalizedName(text).view());
  std::vector<std::string> nearest = NearestWords(normal, names);
  if (nearest.empty()) {
    // An alias may be nearer ("qrcod"): suggest the name it stands for.
    for (const SymbologyInfo& row : SymbologyEntries()) {
      std::vector<std::string> aliases;
      detail::ForEachWord(row.aliases, [&](std::string_view a) { aliases.emplace_back(a); });
      if (!NearestWords(normal, aliases).empty()) nearest.emplace_back(row.name);
      if (nearest.size() == 3) break;
    }
  }
  return "unknown symbology '" + std::string(text) + "'" + DidYouMean(nearest) +
         "; `tavo list` names them all";
}

namespace {

// "--level", "--check-digit": an option's name on the command line.
std::string FlagName(std::string_view name) {
  std::string flag = "--";
  for (char c : name) flag.push_back(c == '_' ? '-' : c);
  return flag;
}

// "L|M|Q|H", "1..30".
std::string ValuesOf(const OptionInfo& o) {
  std::string text;
  if (o.type == OptionType::kNumber) return std::to_string(o.min) + ".." + std::to_string(o.max);
  for (const OptionChoice& c : o.choices) {
    if (!text.empty()) text += '|';
    text.append(c.name);
  }
  return text;
}

}  // namespace

std::string OptionSynopsis(const SymbologyInfo& row) {
  std::string text;
  for (const OptionInfo& o : row.options) {
    if (!text.empty()) text += ' ';
    text += FlagName(o.name);
    if (o.type != OptionType::kFlag) text += ' ' + ValuesOf(o);
  }
  return text.empty() ? "no options" : text;
}

std::optional<int32_t> ResolveCheck(const SymbologyInfo& row, std::span<const NamedOption> options,
                                    std::string& why) {
  int32_t check = 0;
  std::vector<const OptionInfo*> seen;
  for (const NamedOption& given : options) {
    const OptionInfo* o = FindOption(row, given.name);
    if (!o) {
      std::vector<std::string> names;
      for (const OptionInfo& each : row.options) names.push_back(FlagName(each.name));
      const bool is_check = detail::NormalizedName(given.name).view() == "check";
      why = std::string(row.name) + (is_check ? " has no optional check character" : " has no option " + FlagName(given.name)) +
            DidYouMean(is_check ? std::vector<std::string>{} : NearestWords(FlagName(given.name), names)) +
            (row.options.empty() ? std::string(", and no options") : "; its options: " + OptionSynopsis(row));
      return std::nullopt;
    }
    if (std::find(seen.begin(), seen.end(), o) != seen.end()) {
      why = FlagName(o->name) + " is given twice";
      return std::nullopt;
    }
    seen.push_back(o);
    const std::string value = given.value.empty() && o->type == OptionType::kFlag ? "on" : given.value;
    const int32_t add = OptionContribution(*o, value);
    if (add < 0) {
      why = FlagName(o->name) + " of " + std::string(row.name) + " takes " +
            (o->type == OptionType::kFlag ? std::string("on|off") : ValuesOf(*o)) + ", not '" + given.value + "'";
      return std::nullopt;
    }
    check += add;
  }
  return check;
}

std::string_view SymbologyName(int32_t code) {
  for (const SymbologyEntry& row : SymbologyEntries()) {
    if (row.code == code) return row.name;
  }
  return "";
}

std::optional<std::string> DecodeValueEscapes(std::string_view text, size_t* bad_at) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (bad_at) *bad_at = i;
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

std::string DescribeBadEscape(std::string_view text, size_t offset) {
  if (offset >= text.size()) return "at the end";
  size_t end = offset + 1;  // the backslash and up to three ASCII characters after it
  while (end < text.size() && end < offset + 4 && static_cast<unsigned char>(text[end]) < 0x80) ++end;
  std::string out = "'";
  out.append(text.substr(offset, end - offset));
  return out + "' at byte " + std::to_string(offset + 1);
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
