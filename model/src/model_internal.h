// What the symbology families of the model share: laying out bars, spaces
// and captions, naming bytes in messages, and the Full ASCII shift pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tavo_model.h"

namespace tavo::model::detail {

// Appends bars, spaces, captions and symbol characters to a symbol, left to
// right, from x = 0 at the left edge of the first glyph.
class Layout {
 public:
  explicit Layout(Symbol& symbol);
  double x() const { return x_; }
  void Bar(double width, BarHeight height = BarHeight::kFull);
  void Space(double width);
  // Alternating bars and spaces, a bar first: '1'..'9' that many modules,
  // 'w' one wide element of `wide` modules.
  void Widths(std::string_view widths, double wide = 1, BarHeight height = BarHeight::kFull);
  // One module each: '1' bar, '0' space.
  void Modules(std::string_view modules, BarHeight height = BarHeight::kFull);
  void AddCaption(std::string text, double centre, bool below = true);
  void AddCharacter(size_t byte_index, std::string name, int value = -1);
  // Drops the blank before the first bar and after the last, measures the
  // captions from the first bar, and sets the quiet zones: those the
  // symbology asks for, or the blank the glyphs draw there if wider.
  void Finish(double quiet_left, double quiet_right);

 private:
  Symbol& symbol_;
  double x_ = 0;
};

// "byte 0x41 ('A')", for messages.
std::string DescribeByte(unsigned char byte);
// "byte 3 (0x41 'A')"
std::string DescribeByteAt(std::string_view font_string, size_t index);
// Sets `error` and returns false.
bool Fail(ModelError& error, size_t index, std::string reason);

// The ASCII character a Full ASCII shift pair stands for (shift one of
// '$', '%', '/', '+'), or -1 when the two form no pair.
int FullAsciiPair(char shift, char letter);
// Name of a symbol character for lists: "SPACE" for the space, "HT" for
// control characters, the character itself otherwise.
std::string CharacterName(unsigned char ascii);
// Text of `ascii` for a caption: printable characters, "" for the others.
std::string CaptionText(unsigned char ascii);

// The families.  `symbology` selects between the codes one family serves.
bool BuildCode39(int32_t symbology, std::string_view s, const ModelOptions& options, Symbol& symbol,
                 ModelError& error);
bool ReadCode39(int32_t symbology, std::string_view s, Reading& reading, ModelError& error);
bool BuildI2of5(std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadI2of5(std::string_view s, Reading& reading, ModelError& error);
bool BuildCodabar(std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadCodabar(std::string_view s, Reading& reading, ModelError& error);
bool BuildMsi(std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadMsi(std::string_view s, Reading& reading, ModelError& error);
bool BuildCode93(std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadCode93(std::string_view s, Reading& reading, ModelError& error);
bool BuildUpcEan(int32_t symbology, std::string_view s, Symbol& symbol, ModelError& error);
bool ReadUpcEan(int32_t symbology, std::string_view s, Reading& reading, ModelError& error);
bool BuildPostNet(std::string_view s, Symbol& symbol, ModelError& error);
bool ReadPostNet(std::string_view s, Reading& reading, ModelError& error);
bool BuildCode128(std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadCode128(std::string_view s, Reading& reading, ModelError& error);

// One glyph of the family's font drawn on its own into `layout` from x = 0,
// with its captions and the blank that follows it in a symbol (the narrow
// gap after a Code 39 or Codabar character); false when `code` is no glyph
// of the font.
bool DrawCode39Glyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool DrawI2of5Glyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool DrawCodabarGlyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool DrawMsiGlyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool DrawCode93Glyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool DrawUpcEanGlyph(unsigned char code, Layout& layout);
bool DrawPostNetGlyph(unsigned char code, Layout& layout);
bool DrawCode128Glyph(unsigned char code, const ModelOptions& options, Layout& layout);

}  // namespace tavo::model::detail
