// The generated fonts as a program that uses them sees them through
// FreeType: one font for every face name the library gives, a glyph for
// every code point an encoder emits (reached from Windows-1252 text and from
// U+0080..U+00FF), each glyph with the advance and bars the symbol model
// gives, and the tables Windows and office programs read.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "font_support.h"
#include "tavo32.h"
#include "tavo_model.h"

#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#ifndef TAVO_FONT_DIR
#define TAVO_FONT_DIR "fonts/truetype"
#endif

namespace tavo::fonts {
namespace {

const std::vector<FaceDesign>& Faces() {
  static const std::vector<FaceDesign> faces = ReadManifest(TAVO_FONT_DIR);
  return faces;
}

// The two-dimensional faces (QR Code, Data Matrix) draw blocks of modules,
// not bars; matrix_font_test.cpp holds them to the model.
bool IsMatrixFace(const FaceDesign& d) {
  const auto glyphs = model::FontGlyphs(d.symbology, {});
  return !glyphs.empty() && !glyphs.front().modules.empty();
}

const FaceDesign* FaceNamed(const std::string& family) {
  for (const FaceDesign& f : Faces()) {
    if (f.family == family) return &f;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Names: the font a caller selects by the library's face name exists and
// calls itself by that name.

TEST(FontNames, EveryFaceNameOfTheLibraryNamesOneFont) {
  const auto linear = std::count_if(Faces().begin(), Faces().end(), [](const FaceDesign& d) { return !IsMatrixFace(d); });
  ASSERT_EQ(linear, 45) << "manifest in " << TAVO_FONT_DIR;
  std::set<std::string> names;
  for (int32_t symbology : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, int{BC_SYM_IMB}, int{BC_SYM_ITF14}}) {
    for (int32_t height = 0; height < 3; ++height) {
      for (bool caption : {false, true}) {
        const std::string name = LibraryFaceName(symbology, height, caption);
        SCOPED_TRACE(name);
        names.insert(name);
        const FaceDesign* design = FaceNamed(name);
        ASSERT_NE(design, nullptr) << "no font for this face name";
        Face face(design->file);
        ASSERT_TRUE(face.ok());
        EXPECT_EQ(std::string(face.get()->family_name), name);
        EXPECT_EQ(std::string(face.get()->style_name), "Regular");
      }
    }
  }
  EXPECT_EQ(names.size(), 45u) << "42 faces with heights, UPC EAN JAN, POSTNET and IMB";
}

// ---------------------------------------------------------------------------
// Coverage: the code points each encoder may emit, as byte ranges.

struct Emitted {
  int32_t symbology;
  std::vector<std::pair<int, int>> ranges;
};

const Emitted kEmitted[] = {
    {0, {{'0', '9'}, {'A', 'Z'}, {'-', '.'}, {'_', '_'}, {'$', '$'}, {'/', '/'}, {'+', '+'}, {'%', '%'}, {'*', '*'}}},
    {1, {{33, 41}, {43, 126}, {0x82, 0x8C}, {0x91, 0x9C}, {0xA1, 0xA3}, {0xA5, 0xAF}}},
    {2, {{146, 152}, {161, 255}}},
    {3, {{'0', '9'}, {'-', '-'}, {'$', '$'}, {':', ':'}, {'/', '/'}, {'.', '.'}, {'+', '+'}, {'A', 'D'}, {'a', 'd'}}},
    {4, {{'`', '`'}, {'0', '9'}, {'~', '~'}}},
    {5, {{48, 80}, {121, 126}, {161, 255}}},
    {6, {{33, 43}, {48, 57}, {60, 62}, {64, 126}, {161, 180}}},
    {7, {{33, 43}, {48, 57}, {60, 62}, {64, 126}, {161, 180}}},
    {8, {{'*', '*'}, {'0', '9'}}},
    {9, {{33, 43}, {48, 57}, {60, 62}, {64, 126}, {161, 180}}},
    {10, {{33, 43}, {48, 57}, {60, 62}, {64, 126}, {161, 180}}},
    {11, {{33, 125}, {130, 140}, {145, 156}, {161, 234}, {236, 252}}},
    {BC_SYM_IMB, {{'A', 'A'}, {'D', 'D'}, {'F', 'F'}, {'T', 'T'}}},
    {BC_SYM_ITF14, {{146, 154}, {161, 255}}},
};

TEST(FontCoverage, EveryEmittedCodePointHasAGlyphFromWindowsAndLatin1Text) {
  for (const Emitted& e : kEmitted) {
    // Code 0 prints in the Code 39 fonts.
    const int32_t font_symbology = e.symbology == 0 ? 1 : e.symbology;
    for (int32_t height = 0; height < 3; ++height) {
      for (bool caption : {false, true}) {
        const std::string name = LibraryFaceName(font_symbology, height, caption);
        SCOPED_TRACE("symbology " + std::to_string(e.symbology) + " in " + name);
        const FaceDesign* design = FaceNamed(name);
        ASSERT_NE(design, nullptr);
        Face face(design->file);
        ASSERT_TRUE(face.ok());
        ASSERT_EQ(FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE), 0);
        for (auto [lo, hi] : e.ranges) {
          for (int b = lo; b <= hi; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            const FT_UInt from_windows = FT_Get_Char_Index(face.get(), Windows1252(byte));
            EXPECT_NE(from_windows, 0u) << "byte " << b;
            EXPECT_EQ(FT_Get_Char_Index(face.get(), byte), from_windows) << "byte " << b << " as U+00" << std::hex << b;
          }
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Geometry: the outlines against the model, in font units.

using Box = std::tuple<long, long, long, long>;  // x0, x1, y0, y1

struct Contours {
  std::vector<Box> bars;
  std::vector<Box> others;  // caption text
};

// Splits a glyph's outline into bars (rectangles reaching up to a bar top)
// and the rest.
Contours Split(const FT_Outline& outline, const FaceDesign& d) {
  Contours out;
  int start = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int end = outline.contours[c];
    long x0 = LONG_MAX, x1 = LONG_MIN, y0 = LONG_MAX, y1 = LONG_MIN;
    bool corners = end - start == 3;
    for (int p = start; p <= end; ++p) {
      x0 = std::min(x0, outline.points[p].x), x1 = std::max(x1, outline.points[p].x);
      y0 = std::min(y0, outline.points[p].y), y1 = std::max(y1, outline.points[p].y);
      corners = corners && (outline.tags[p] & 1);
    }
    for (int p = start; corners && p <= end; ++p) {
      const FT_Vector& v = outline.points[p];
      corners = (v.x == x0 || v.x == x1) && (v.y == y0 || v.y == y1);
    }
    const bool bar = corners && (y1 == d.bar_top || y1 == d.half_top);
    (bar ? out.bars : out.others).emplace_back(x0, x1, y0, y1);
    start = end + 1;
  }
  std::sort(out.bars.begin(), out.bars.end());
  return out;
}

std::vector<Box> ModelBars(const model::FontGlyph& g, const FaceDesign& d) {
  std::vector<Box> bars;
  double x = 0;
  for (const model::Element& e : g.elements) {
    if (e.bar) {
      long y0 = e.height == model::BarHeight::kGuard ? d.guard_bottom : d.bar_bottom;
      long y1 = e.height == model::BarHeight::kHalf ? d.half_top : d.bar_top;
      // Intelligent Mail: trackers and ascenders start at the tracker's
      // bottom, trackers and descenders end at its top.
      using H = model::BarHeight;
      if (e.height == H::kTracker || e.height == H::kAscender) y0 = std::lround(model::kImbTrackerBottom * d.bar_top);
      if (e.height == H::kTracker || e.height == H::kDescender) y1 = std::lround(model::kImbTrackerTop * d.bar_top);
      bars.emplace_back(std::lround(x * d.module), std::lround((x + e.width) * d.module), y0, y1);
    }
    x += e.width;
  }
  // ITF-14: the top bearer stroke over the whole advance reaches the bar top
  // too (the bars reach through both strokes).
  if (g.bearer > 0) {
    bars.emplace_back(0, std::lround(g.advance * d.module), d.bar_top - std::lround(g.bearer * d.module), d.bar_top);
    std::sort(bars.begin(), bars.end());
  }
  return bars;
}

// ITF-14: takes the bottom bearer stroke, over the whole advance at the
// foot of the bars, out of the other contours; false when it is not there.
bool TakeBottomBearer(const model::FontGlyph& g, const FaceDesign& d, std::vector<Box>& others) {
  if (g.bearer <= 0) return true;
  const Box stroke{0, std::lround(g.advance * d.module), d.bar_bottom, d.bar_bottom + std::lround(g.bearer * d.module)};
  const auto it = std::find(others.begin(), others.end(), stroke);
  if (it == others.end()) return false;
  others.erase(it);
  return true;
}

std::string Text(const std::vector<Box>& boxes) {
  std::string out;
  for (auto [x0, x1, y0, y1] : boxes) {
    out += "[" + std::to_string(x0) + "," + std::to_string(x1) + "]x[" + std::to_string(y0) + "," +
           std::to_string(y1) + "] ";
  }
  return out;
}

// Caption text lies beneath the ordinary bars (UPC/EAN guard bars reach
// down beside it, in other glyphs), centred on the model's caption.
void ExpectCaption(const model::FontGlyph& g, const std::vector<Box>& others, const FaceDesign& d) {
  std::string text;
  for (const model::Caption& c : g.captions) text += c.text;
  if (text.find_first_not_of(' ') == std::string::npos) {
    EXPECT_TRUE(others.empty()) << "ink where the model draws no caption: " << Text(others);
    return;
  }
  ASSERT_FALSE(others.empty()) << "no caption text for \"" << text << "\"";
  long x0 = LONG_MAX, x1 = LONG_MIN, top = LONG_MIN;
  for (auto [a, b, y0, y1] : others) x0 = std::min(x0, a), x1 = std::max(x1, b), top = std::max(top, y1);
  EXPECT_LT(top, d.bar_bottom) << "caption reaches into the bars";
  EXPECT_NEAR(static_cast<double>(x0 + x1) / 2, g.captions.front().x * d.module, 2.0 * d.module)
      << "caption \"" << text << "\" off its centre";
}

TEST(FontGeometry, EveryGlyphHasTheModelsAdvanceBarsAndCaption) {
  ASSERT_FALSE(Faces().empty());
  for (const FaceDesign& d : Faces()) {
    if (IsMatrixFace(d)) continue;
    SCOPED_TRACE(d.family);
    Face face(d.file);
    ASSERT_TRUE(face.ok());
    const auto glyphs = model::FontGlyphs(d.symbology, {.wide_ratio = 3, .caption = d.caption});
    EXPECT_EQ(static_cast<size_t>(face.get()->num_glyphs), glyphs.size() + 2) << ".notdef, space and the model's";
    EXPECT_EQ(d.glyphs, glyphs.size());
    for (const model::FontGlyph& g : glyphs) {
      SCOPED_TRACE("byte " + std::to_string(g.code) + " (" + g.name + ")");
      const FT_UInt index = FT_Get_Char_Index(face.get(), Windows1252(g.code));
      ASSERT_NE(index, 0u);
      ASSERT_EQ(FT_Load_Glyph(face.get(), index, FT_LOAD_NO_SCALE), 0);
      EXPECT_EQ(face.get()->glyph->metrics.horiAdvance, std::lround(g.advance * d.module));
      Contours contours = Split(face.get()->glyph->outline, d);
      EXPECT_EQ(Text(contours.bars), Text(ModelBars(g, d)));
      EXPECT_TRUE(TakeBottomBearer(g, d, contours.others)) << "no bottom bearer stroke: " << Text(contours.others);
      ExpectCaption(g, contours.others, d);
    }
  }
}

// ---------------------------------------------------------------------------
// Tables: what Windows, LibreOffice and PDF writers read.

std::string NameRecord(FT_Face face, FT_UShort id) {
  const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < count; ++i) {
    FT_SfntName n;
    if (FT_Get_Sfnt_Name(face, i, &n) != 0 || n.name_id != id || n.platform_id != TT_PLATFORM_MICROSOFT ||
        n.language_id != TT_MS_LANGID_ENGLISH_UNITED_STATES) {
      continue;
    }
    std::string text;  // UTF-16BE; our names are ASCII
    for (FT_UInt k = 1; k < n.string_len; k += 2) text += static_cast<char>(n.string[k]);
    return text;
  }
  return "";
}

TEST(FontTables, NamesCodePagesCharacterMapsAndLicence) {
  ASSERT_FALSE(Faces().empty());
  for (const FaceDesign& d : Faces()) {
    SCOPED_TRACE(d.family);
    Face face(d.file);
    ASSERT_TRUE(face.ok());
    FT_Face f = face.get();
    EXPECT_EQ(NameRecord(f, TT_NAME_ID_FONT_FAMILY), d.family);
    EXPECT_EQ(NameRecord(f, TT_NAME_ID_FONT_SUBFAMILY), "Regular");
    EXPECT_EQ(NameRecord(f, TT_NAME_ID_FULL_NAME), d.family);
    const std::string ps = NameRecord(f, TT_NAME_ID_PS_NAME);
    EXPECT_TRUE(!ps.empty() && ps.find(' ') == std::string::npos) << ps;
    EXPECT_NE(NameRecord(f, TT_NAME_ID_LICENSE).find("SIL Open Font License, Version 1.1"), std::string::npos);
    EXPECT_EQ(NameRecord(f, TT_NAME_ID_LICENSE).find("Bitstream Vera") != std::string::npos,
              d.caption) << "caption outlines come with the DejaVu licence";
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    EXPECT_TRUE(os2->ulCodePageRange1 & 1) << "Windows-1252 Latin 1";
    EXPECT_EQ(os2->fsType, 0) << "installable embedding";
    EXPECT_TRUE(os2->fsSelection & 0x40) << "regular";
    EXPECT_GE(os2->usWinAscent, d.bar_top) << "Windows clips above the ascent";
    EXPECT_GE(f->ascender, d.bar_top);
    bool unicode = false, mac = false, symbol = false;
    for (int i = 0; i < f->num_charmaps; ++i) {
      const FT_CharMap m = f->charmaps[i];
      unicode = unicode || (m->platform_id == TT_PLATFORM_MICROSOFT && m->encoding_id == TT_MS_ID_UNICODE_CS);
      mac = mac || (m->platform_id == TT_PLATFORM_MACINTOSH && m->encoding_id == TT_MAC_ID_ROMAN);
      symbol = symbol || (m->platform_id == TT_PLATFORM_MICROSOFT && m->encoding_id == TT_MS_ID_SYMBOL_CS);
    }
    EXPECT_TRUE(unicode) << "(3,1) Unicode character map";
    EXPECT_TRUE(mac) << "(1,0) Macintosh Roman character map";
    EXPECT_FALSE(symbol) << "no symbol character map: programs treat the font as text";
  }
}

}  // namespace
}  // namespace tavo::fonts
