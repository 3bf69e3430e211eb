// The symbol model: what each code point of the bar code fonts draws.
//
// Given a symbology code and a font string (what BC_FontTranslate returns),
// the model says which symbol characters the string stands for and lays them
// out as the bars and spaces of the printed symbol, with the human-readable
// captions and where they stand.  It is a library of its own, used by the
// tavo tool (pictures, decoding), the tests and the font build; tavo32 itself
// draws nothing and does not link it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavo::model {

// How far down a bar reaches.
enum class BarHeight : uint8_t {
  kFull,   // an ordinary bar (PostNet: a tall bar; Intelligent Mail: a full bar)
  kGuard,  // an EAN/UPC guard bar, or a bar of a digit printed outside the caption, reaching below the others
  kHalf,   // a PostNet short bar
  // Intelligent Mail: the tracker (the middle part), and the tracker with
  // the part above it or below it.
  kTracker,
  kAscender,
  kDescender,
  // ITF-14: a vertical bearer, reaching through the top and bottom bearer
  // bars (Symbol::bearer) so that the four close into a frame.
  kFrame,
};

// Intelligent Mail bar heights, as shares of the full bar from its bottom:
// the tracker spans kImbTrackerBottom..kImbTrackerTop, an ascender
// kImbTrackerBottom..1, a descender 0..kImbTrackerTop.  The font draws the
// full bar 667 units high with the tracker at 230..437 (fonts/generate.py).
inline constexpr double kImbTrackerBottom = 230.0 / 667.0;
inline constexpr double kImbTrackerTop = 437.0 / 667.0;

// One bar or one space, left to right.  Widths are in modules: 1 is the
// narrow element (X dimension); wide elements of two-width symbologies
// (Code 39, Interleaved 2 of 5, Codabar, MSI) are `wide_ratio` modules.
struct Element {
  bool bar = false;
  double width = 0;
  BarHeight height = BarHeight::kFull;
};

// Human-readable text and its place: centred on `x` (modules from the left
// edge of the first bar; negative left of the symbol).
struct Caption {
  std::string text;
  double x = 0;
  bool below = true;  // under the bars; false: beside them, level with their lower part
};

// One symbol character the string stands for, in reading order.
// What a symbol character does in the symbol, for programs (its name is for
// people): data, the start or stop character, a check character, a control
// that adds nothing to the data (a code set change, a shift), or a guard or
// frame bar.
enum class CharacterRole { kData, kStart, kStop, kCheck, kControl, kGuard };

struct SymbolCharacter {
  size_t byte_index = 0;  // the font-string byte that draws it
  std::string name;       // what it is: "7", "A", "START A", "FNC1", "(+)", "CHECK 5", "LEFT GUARD" ...
  int value = -1;         // its value in the symbology's check arithmetic, -1 where none
  CharacterRole role = CharacterRole::kData;
};

// The modules of a two-dimensional symbol (QR Code, Data Matrix), row by row
// from the top, 1 for a dark module; the same shape as the library's
// ModuleGrid (symbologies/matrix/matrix_text.h).  Empty for a linear symbol.
struct ModuleGrid {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> dark;
  bool empty() const { return width == 0 || height == 0; }
  bool at(int32_t x, int32_t y) const { return dark[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] != 0; }
};

// A symbol is linear (bars and spaces in `elements`) or two-dimensional
// (modules in `grid`, `elements` empty); captions and characters serve both.
struct Symbol {
  std::vector<Element> elements;  // starts and ends with a bar; quiet zones not included
  ModuleGrid grid;                // two-dimensional symbols: the modules, quiet zone not included
  std::vector<Caption> captions;
  std::vector<SymbolCharacter> characters;
  double quiet_left = 10;   // quiet zones the symbology asks for, in modules
  double quiet_right = 10;
  // Thickness in modules of the bearer bars above and below the bars, over
  // the whole width of `elements` (ITF-14); 0 for none.
  double bearer = 0;
  double Width() const {
    double w = 0;
    for (const Element& e : elements) w += e.width;
    return w;
  }
};

struct ModelOptions {
  double wide_ratio = 3.0;  // wide : narrow for the two-width symbologies
  bool caption = false;     // caption variant of the font (text under the bars)
};

// The first byte the model cannot interpret, and why.
struct ModelError {
  size_t byte_index = 0;
  std::string reason;
};

// Lays out `font_string` of `symbology` (any code of the registry).  Returns true and fills
// `symbol`, or returns false and says in `error` which byte it cannot
// interpret.
bool BuildSymbol(int32_t symbology, std::string_view font_string, const ModelOptions& options,
                 Symbol& symbol, ModelError& error);

// One check character (or check digit, or add-on parity) recomputed from the
// data a reader takes from the symbol.
struct CheckFinding {
  std::string what;      // "modulo-43 check character", "check character C" ...
  std::string found;     // what the symbol holds; "" when it holds none
  std::string expected;  // what the data asks for
  bool optional = false;  // the symbology leaves it to the caller (Code 39, I2of5, Codabar, MSI's second)
  bool Matches() const { return found == expected; }
};

// One code point of a bar code font drawn on its own: its bars and spaces
// from its left edge to its advance, and its captions.  Set side by side,
// the glyphs of a font string draw exactly the symbol BuildSymbol lays out
// for it (BuildSymbol leaves the blank before the first bar and after the
// last to the quiet zones).
struct FontGlyph {
  unsigned char code = 0;
  std::string name;               // what it draws: "A", "+ A", "START", "PAIR 07", "CAPTION 5" ...
  double advance = 0;             // in modules
  std::vector<Element> elements;  // bars and spaces filling the advance, left to right
  std::vector<Caption> captions;  // centred on `x` modules from the glyph's left edge
  ModuleGrid modules;             // 2D faces: the block's modules (elements empty)
  double bearer = 0;              // bearer strokes above and below over the whole advance (Symbol::bearer)
};

// What `code` draws in the font that prints `symbology` (any code of the
// registry: code 0 prints in the Code 39 font of code 1, GS1-128 in the
// Code 128 font, and UPC-A, UPC-E, EAN/JAN-8, EAN/JAN-13 and the GTINs share
// one font).  False when that font has no such glyph.
//
// A glyph cannot know where it stands, so two things follow the font rather
// than the symbol: a Code 128 value code's caption is its code set B
// character (BuildSymbol shows set A control characters and the check
// character without caption), and the Code 93 stop glyph always draws the
// termination bar (the library puts the stop last).
bool GlyphOf(int32_t symbology, unsigned char code, const ModelOptions& options, FontGlyph& glyph);

// Every glyph of that font, by code point; empty for a code without a row.
std::vector<FontGlyph> FontGlyphs(int32_t symbology, const ModelOptions& options);

// What a reader makes of a font string.
struct Reading {
  // The data a reader returns, written as the value the library takes for it
  // (no check characters; Code 128 function characters as bytes 185, 178,
  // 179, 188 and NUL as 199; Codabar with its start and stop letters; UPC/EAN
  // digits without the check digit, followed by the add-on digits).
  std::string data;
  // The data is GS1 element strings, written in the bracketed form
  // "(01)...(10)..." (GS1-128, GS1 Data Matrix).
  bool gs1 = false;
  std::vector<CheckFinding> checks;
  std::vector<std::string> faults;  // what keeps a reader from reading it: a missing start, guard ...
  // No fault, and every check character that is there (every mandatory one
  // must be) matches its data.
  bool Consistent() const;
};

// Reads `font_string` of `symbology` as a reader reads the printed symbol:
// its data, every check character recomputed, and what is out of place.
// Returns false, with `error`, where BuildSymbol would.
bool ReadSymbol(int32_t symbology, std::string_view font_string, Reading& reading,
                ModelError& error);

// Symbols that print but that no reader can read back as the value they were
// made from: an empty value (no start character, or no data), a one-letter
// Codabar value (a lone stop character), and Code 39 characters "$", "%",
// "+" or "/" followed by a character they form a Full ASCII shift pair with
// (a Full ASCII reader takes the two as one character).  One message each.
//
// From the symbol alone (codes 1 and 0): the library's Code 39 fonts draw a
// shift pair only for the ASCII character it stands for, so for code 1 every
// "$", "%", "+" or "/" glyph followed by a pair partner is reported.  Code 0
// writes pairs out as two characters, so its font string cannot tell "$A"
// made from SOH from "$A" made from "$" and "A"; only pairs that no ASCII
// character expands to (such as "/D") are reported.  Where the value is known,
// ValueReadabilityWarnings tells exactly.
std::vector<std::string> ReadabilityWarnings(int32_t symbology, const Symbol& symbol);

// The same cases judged on the value given to the library (the value alone:
// a shift character last in the value, before the check character, is not
// reported here, though the symbol-based list reports it).
std::vector<std::string> ValueReadabilityWarnings(int32_t symbology, std::string_view value);

}  // namespace tavo::model
