// Laying out bars, spaces and captions, and the helpers every family uses.
#include <algorithm>
#include <array>
#include <cstdio>

#include "model_internal.h"

namespace tavo::model::detail {

Layout::Layout(Symbol& symbol) : symbol_(symbol) { symbol_ = Symbol{}; }

void Layout::Grid(ModuleGrid grid) {
  x_ += grid.width;
  symbol_.grid = std::move(grid);
}

void Layout::Bearers(double thickness) { symbol_.bearer = thickness; }

void Layout::Bar(double width, BarHeight height) {
  std::vector<Element>& e = symbol_.elements;
  // A bar drawn against a bar of the same height is one wider bar.
  if (!e.empty() && e.back().bar && e.back().height == height) {
    e.back().width += width;
  } else {
    e.push_back({.bar = true, .width = width, .height = height});
  }
  x_ += width;
}

void Layout::Space(double width) {
  std::vector<Element>& e = symbol_.elements;
  if (!e.empty() && !e.back().bar) {
    e.back().width += width;
  } else {
    e.push_back({.bar = false, .width = width});
  }
  x_ += width;
}

void Layout::Widths(std::string_view widths, double wide, BarHeight height) {
  bool bar = true;
  for (char w : widths) {
    const double width = w == 'w' ? wide : static_cast<double>(w - '0');
    if (bar) {
      Bar(width, height);
    } else {
      Space(width);
    }
    bar = !bar;
  }
}

void Layout::Modules(std::string_view modules, BarHeight height) {
  for (char m : modules) {
    if (m == '1') {
      Bar(1, height);
    } else {
      Space(1);
    }
  }
}

void Layout::AddCaption(std::string text, double centre, bool below) {
  if (!text.empty()) symbol_.captions.push_back({.text = std::move(text), .x = centre, .below = below});
}

void Layout::AddCharacter(size_t byte_index, std::string name, int value, CharacterRole role) {
  symbol_.characters.push_back(
      {.byte_index = byte_index, .name = std::move(name), .value = value, .role = role});
}

void Layout::Finish(double quiet_left, double quiet_right) {
  std::vector<Element>& e = symbol_.elements;
  double leading = 0;
  double trailing = 0;
  if (!e.empty() && !e.front().bar) {
    leading = e.front().width;
    e.erase(e.begin());
  }
  if (!e.empty() && !e.back().bar) {
    trailing = e.back().width;
    e.pop_back();
  }
  if (e.empty()) leading = trailing = 0;
  for (Caption& c : symbol_.captions) c.x -= leading;
  symbol_.quiet_left = std::max(quiet_left, leading);
  symbol_.quiet_right = std::max(quiet_right, trailing);
}

std::string DescribeByte(unsigned char byte) {
  char text[24];
  if (byte >= 32 && byte < 127) {
    std::snprintf(text, sizeof text, "0x%02X '%c'", byte, byte);
  } else {
    std::snprintf(text, sizeof text, "0x%02X", byte);
  }
  return text;
}

std::string DescribeByteAt(std::string_view font_string, size_t index) {
  return "byte " + std::to_string(index) + " (" +
         DescribeByte(static_cast<unsigned char>(font_string[index])) + ")";
}

bool Fail(ModelError& error, size_t index, std::string reason) {
  error = {.byte_index = index, .reason = std::move(reason)};
  return false;
}

int FullAsciiPair(char shift, char letter) {
  if (letter < 'A' || letter > 'Z') return -1;
  const int k = letter - 'A';  // 0 for A
  switch (shift) {
    case '$':  // $A..$Z: SOH..SUB
      return 1 + k;
    case '+':  // +A..+Z: lower case
      return 'a' + k;
    case '/':  // /A../O: "!" to "/"; /Z: ":"
      if (letter == 'Z') return ':';
      return letter <= 'O' ? '!' + k : -1;
    case '%': {
      // %A..%E ESC..US, %F..%J ";".."?", %K..%O "[".."_", %P..%T "{"..DEL,
      // %U NUL, %V "@", %W "`", and %X..%Z, which readers take as DEL too.
      constexpr std::array<int, 26> kPercent = {27,  28,  29,  30,  31,  59,  60,  61, 62,
                                                63,  91,  92,  93,  94,  95,  123, 124, 125,
                                                126, 127, 0,   64,  96,  127, 127, 127};
      return kPercent[static_cast<size_t>(k)];
    }
    default:
      return -1;
  }
}

namespace {
constexpr std::array<std::string_view, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
}  // namespace

std::string CharacterName(unsigned char ascii) {
  if (ascii < 32) return std::string(kControlNames[ascii]);
  if (ascii == ' ') return "SPACE";
  if (ascii == 127) return "DEL";
  return std::string(1, static_cast<char>(ascii));
}

std::string CaptionText(unsigned char ascii) {
  return ascii >= 32 && ascii < 127 ? std::string(1, static_cast<char>(ascii)) : std::string();
}

}  // namespace tavo::model::detail
