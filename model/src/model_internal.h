// What the symbology families of the model share: laying out bars, spaces
// and captions, naming bytes in messages, and the Full ASCII shift pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <span>
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
  void AddCharacter(size_t byte_index, std::string name, int value = -1,
                    CharacterRole role = CharacterRole::kData);
  // A two-dimensional glyph or symbol: its modules; the advance grows by its width.
  void Grid(ModuleGrid grid);
  // Bearer bars of `thickness` modules above and below everything laid out.
  void Bearers(double thickness);
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

// The families: one builder, reader and glyph drawer each, all of the same
// shape so that the registry (registry.cpp) can hold them.  `symbology`
// selects between the codes one family serves; families that serve one code
// ignore it.
using Builder = bool (*)(int32_t symbology, std::string_view s, const ModelOptions& options, Symbol& symbol,
                         ModelError& error);
using Reader = bool (*)(int32_t symbology, std::string_view s, Reading& reading, ModelError& error);
// Draws one glyph of the family's font on its own into `layout` from x = 0,
// with its captions and the blank that follows it in a symbol (the narrow
// gap after a Code 39 or Codabar character); false when `code` is no glyph
// of the font.
using GlyphDrawer = bool (*)(unsigned char code, const ModelOptions& options, Layout& layout);

bool BuildCode39(int32_t symbology, std::string_view s, const ModelOptions& options, Symbol& symbol,
                 ModelError& error);
bool ReadCode39(int32_t symbology, std::string_view s, Reading& reading, ModelError& error);
bool DrawCode39Glyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool BuildI2of5(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadI2of5(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawI2of5Glyph(unsigned char code, const ModelOptions& options, Layout& layout);
// The Interleaved 2 of 5 font's tables, which ITF-14 prints in too: the five
// elements of a digit ('1' narrow, 'w' wide), and the digit pair 0..99 a
// font byte draws (-1 for the start, the stop and every other byte).
std::string_view I2of5DigitWidths(int digit);
int I2of5PairOf(unsigned char b);
bool BuildCodabar(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadCodabar(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawCodabarGlyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool BuildMsi(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadMsi(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawMsiGlyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool BuildCode93(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadCode93(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawCode93Glyph(unsigned char code, const ModelOptions& options, Layout& layout);
bool BuildUpcEan(int32_t symbology, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadUpcEan(int32_t symbology, std::string_view s, Reading& reading, ModelError& error);
bool DrawUpcEanGlyph(unsigned char code, const ModelOptions&, Layout& layout);
bool BuildPostNet(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadPostNet(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawPostNetGlyph(unsigned char code, const ModelOptions&, Layout& layout);
bool BuildImb(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadImb(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawImbGlyph(unsigned char code, const ModelOptions&, Layout& layout);
bool BuildCode128(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadCode128(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawCode128Glyph(unsigned char code, const ModelOptions& options, Layout& layout);
// Data Matrix: a 2D symbol (Symbol::grid); its glyphs are the blocks of
// modules of symbologies/matrix/matrix_text.h (DrawMatrixGlyph).
bool BuildDataMatrix(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadDataMatrix(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawDataMatrixGlyph(unsigned char code, const ModelOptions& options, Layout& layout);
// Aztec Code: a 2D symbol in the same block glyphs (model/src/aztec/).
bool BuildAztec(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadAztec(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawAztecGlyph(unsigned char code, const ModelOptions& options, Layout& layout);

// GS1-128: a Code 128 symbol read back as element strings "(AI)data..."
// ('(' and ')' in data as "\\(" "\\)"), split by the GS1 AI table.
bool ReadGs1_128(int32_t, std::string_view s, Reading& reading, ModelError& error);
// GS1 element strings as a reader returns them (AIs and data, `separator`
// after each variable-length element but the last) written back in that
// bracketed form into `reading.data`, with `reading.gs1` set; a fault
// instead where they do not split into element strings.  GS1-128 and GS1
// Data Matrix share it.
void BracketGs1(std::string_view strings, char separator, Reading& reading);

// Two-dimensional symbols (matrix.cpp): font text of the 2D faces read back
// into modules (quiet zone included), the font-string byte that draws the
// module at (x, y) of that text, and the block glyphs.
bool ReadMatrixModules(std::string_view s, ModuleGrid& grid, ModelError& error);
size_t MatrixByteAt(std::string_view s, int32_t x, int32_t y);
bool DrawMatrixGlyph(unsigned char code, const ModelOptions& options, Layout& layout);

// The fault of a damaged function pattern (QR Code finders, timing ...;
// Data Matrix finder and clock tracks): "damaged top-left finder pattern: 3
// modules wrong, the first at row 0, column 2 of the symbol ...".
std::string DamageFault(std::string_view pattern, int32_t modules, int32_t row, int32_t column);

// ITF-14: Interleaved 2 of 5 pairs in a frame of bearer bars, wide:narrow
// always 2.5 (the face's design; ModelOptions::wide_ratio does not apply).
bool BuildItf14(int32_t, std::string_view s, const ModelOptions& options, Symbol& symbol, ModelError& error);
bool ReadItf14(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawItf14Glyph(unsigned char code, const ModelOptions& options, Layout& layout);

bool BuildQr(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadQr(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawQrGlyph(unsigned char code, const ModelOptions& options, Layout& layout);

// GS1 DataBar (all four GTIN forms): the module rows of the DataBar face
// as Symbol::grid; the reader recomputes the finder pair's or the Limited
// check character's checksum.  `symbology` selects the form.
bool BuildDatabar(int32_t symbology, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadDatabar(int32_t symbology, std::string_view s, Reading& reading, ModelError& error);
bool DrawDatabarGlyph(unsigned char code, const ModelOptions& options, Layout& layout);
// DataBar Expanded (databar/databar_expanded.cpp), in the same face.
bool BuildDatabarExpanded(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadDatabarExpanded(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool ReadDatabarExpandedStacked(int32_t, std::string_view s, Reading& reading, ModelError& error);

// PDF417: the rows of the PDF417 face as Symbol::grid (each 3 modules
// high); the reader checks the clusters, the row indicators and the error
// correction, naming each damaged codeword.
bool BuildPdf417(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadPdf417(int32_t, std::string_view s, Reading& reading, ModelError& error);
bool DrawPdf417Glyph(unsigned char code, const ModelOptions& options, Layout& layout);

// MicroPDF417 (pdf417/micropdf417_model.cpp): the rows of the PDF417 face as
// Symbol::grid, each row 3 modules high; the reader checks the row address
// patterns and corrects the codewords over GF(929).  Its glyphs are
// DrawPdf417Glyph's.
bool BuildMicroPdf417(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error);
bool ReadMicroPdf417(int32_t, std::string_view s, Reading& reading, ModelError& error);

// The model's row of one symbology code: its family's builder, reader and
// glyph drawer, and whether its symbol opens with a start character.
struct ModelRow {
  int32_t code;
  Builder build;
  Reader read;
  GlyphDrawer draw;
  bool has_start_character;
};

// The row of `symbology`, or nullptr for a code the model does not know.
const ModelRow* FindModelRow(int32_t symbology);

// Every row, in their order (model/tests/registry_test.cpp compares their
// codes with the library's registry).
std::span<const ModelRow> ModelRows();

}  // namespace tavo::model::detail
