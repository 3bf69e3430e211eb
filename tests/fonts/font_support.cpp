// The font suite's harness: manifest, FreeType faces and text setting.
#include "font_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include "tavo32.h"

namespace tavo::fonts {

std::vector<FaceDesign> ReadManifest(const std::string& dir) {
  std::vector<FaceDesign> faces;
  std::ifstream in(dir + "/fonts.manifest");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string v; std::getline(fields, v, '|');) f.push_back(v);
    if (f.size() != 11) return {};
    faces.push_back({.file = dir + "/" + f[0],
                     .family = f[1],
                     .symbology = std::stoi(f[2]),
                     .height = f[3][0],
                     .caption = f[4] == "1",
                     .module = std::stoi(f[5]),
                     .bar_bottom = std::stoi(f[6]),
                     .bar_top = std::stoi(f[7]),
                     .guard_bottom = std::stoi(f[8]),
                     .half_top = std::stoi(f[9]),
                     .glyphs = std::stoul(f[10])});
  }
  return faces;
}

std::string LibraryFaceName(int32_t symbology, int32_t height, bool caption) {
  char buf[64];
  int32_t len = 0;
  if (BC_FontGetFaceName("TAVO ", symbology, height, caption ? 1 : 0, buf, sizeof buf, &len) != 0) return "";
  return std::string(buf, static_cast<size_t>(len));
}

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return library;
}

Face::Face(const std::string& path) {
  if (Library() && FT_New_Face(Library(), path.c_str(), 0, &face_) != 0) face_ = nullptr;
}

Face::~Face() {
  if (face_) FT_Done_Face(face_);
}

uint32_t Windows1252(unsigned char b) {
  // Windows-1252 at 0x80..0x9F, as Microsoft's code page table gives it; 0
  // where the code page defines no character.
  constexpr std::array<uint16_t, 32> kHigh = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88
      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};  // 98
  if (b < 0x80 || b > 0x9F || kHigh[b - 0x80] == 0) return b;
  return kHigh[b - 0x80];
}

std::u32string TextOf(std::string_view font_string, bool latin1) {
  std::u32string text;
  for (char c : font_string) {
    const auto b = static_cast<unsigned char>(c);
    text.push_back(latin1 ? b : Windows1252(b));
  }
  return text;
}

namespace {

// Copies a rendered glyph bitmap into the raster at (x0, y0), darkening.
void Blit(const FT_Bitmap& bitmap, int x0, int y0, render::Raster& raster) {
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    for (unsigned col = 0; col < bitmap.width; ++col) {
      const int coverage = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((line[col / 8] >> (7 - col % 8)) & 1) * 255
                                                                    : line[col];
      const int x = x0 + static_cast<int>(col);
      const int y = y0 + static_cast<int>(row);
      if (coverage == 0 || x < 0 || y < 0 || x >= raster.width || y >= raster.height) continue;
      uint8_t& p = raster.pixels[static_cast<size_t>(y) * static_cast<size_t>(raster.width) + static_cast<size_t>(x)];
      p = static_cast<uint8_t>(std::max(0, p - coverage));
    }
  }
}

}  // namespace

namespace {

int Ascent(FT_Face face, const Setting& setting) {
  return static_cast<int>(std::ceil(face->ascender * setting.pixels_per_em / face->units_per_EM));
}

}  // namespace

int RowAt(FT_Face face, const Setting& setting, int margin, double units) {
  return margin + Ascent(face, setting) -
         static_cast<int>(std::lround(units * setting.pixels_per_em / face->units_per_EM));
}

bool SetText(FT_Face face, const std::u32string& text, const Setting& setting, int margin,
             render::Raster& raster, std::string& error) {
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(setting.pixels_per_em * 64)), 72, 72) != 0) {
    error = "FT_Set_Char_Size failed";
    return false;
  }
  const double scale = setting.pixels_per_em / face->units_per_EM;
  const int ascent = Ascent(face, setting);
  const int descent = static_cast<int>(std::ceil(-face->descender * scale));
  // Advances in font units, so the pen keeps the exact fractional position.
  std::vector<FT_UInt> glyphs;
  long units = 0;
  for (char32_t c : text) {
    const FT_UInt g = FT_Get_Char_Index(face, c);
    if (g == 0) {
      error = "no glyph for U+" + std::to_string(static_cast<uint32_t>(c));
      return false;
    }
    FT_Fixed advance = 0;
    FT_Get_Advance(face, g, FT_LOAD_NO_SCALE, &advance);
    glyphs.push_back(g);
    units += advance;
  }
  raster.width = static_cast<int>(std::ceil(static_cast<double>(units) * scale)) + 2 * margin;
  raster.height = ascent + descent + 2 * margin;
  raster.pixels.assign(static_cast<size_t>(raster.width) * static_cast<size_t>(raster.height), 255);
  long pen_units = 0;
  const FT_Int32 load = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
  for (FT_UInt g : glyphs) {
    if (FT_Load_Glyph(face, g, load) != 0) {
      error = "FT_Load_Glyph failed";
      return false;
    }
    // Place the outline at its fractional pen position, render, and blit
    // at whole pixels.
    const double pen = static_cast<double>(pen_units) * scale;
    const double whole = std::floor(pen);
    FT_Outline_Translate(&face->glyph->outline, static_cast<FT_Pos>(std::lround((pen - whole) * 64)), 0);
    if (FT_Render_Glyph(face->glyph, setting.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) {
      error = "FT_Render_Glyph failed";
      return false;
    }
    Blit(face->glyph->bitmap, margin + static_cast<int>(whole) + face->glyph->bitmap_left,
         margin + ascent - face->glyph->bitmap_top, raster);
    FT_Fixed advance = 0;
    FT_Get_Advance(face, g, FT_LOAD_NO_SCALE, &advance);
    pen_units += advance;
  }
  return true;
}

bool SetLines(FT_Face face, std::string_view font_text, const Setting& setting, int margin,
              render::Raster& raster, std::string& error) {
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(setting.pixels_per_em * 64)), 72, 72) != 0) {
    error = "FT_Set_Char_Size failed";
    return false;
  }
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (!hhea) {
    error = "no hhea table";
    return false;
  }
  const double scale = setting.pixels_per_em / face->units_per_EM;
  const long line_units = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
  std::vector<std::string_view> lines;
  for (size_t at = 0;;) {
    const size_t end = font_text.find("\r\n", at);
    lines.push_back(font_text.substr(at, end == std::string_view::npos ? end : end - at));
    if (end == std::string_view::npos) break;
    at = end + 2;
  }
  long widest = 0;
  for (std::string_view line : lines) {
    long units = 0;
    for (char c : line) {
      FT_Fixed advance = 0;
      FT_Get_Advance(face, FT_Get_Char_Index(face, static_cast<unsigned char>(c)), FT_LOAD_NO_SCALE, &advance);
      units += advance;
    }
    widest = std::max(widest, units);
  }
  raster.width = static_cast<int>(std::ceil(static_cast<double>(widest) * scale)) + 2 * margin;
  raster.height = static_cast<int>(std::ceil(static_cast<double>(line_units * static_cast<long>(lines.size())) * scale)) +
                  2 * margin;
  raster.pixels.assign(static_cast<size_t>(raster.width) * static_cast<size_t>(raster.height), 255);
  for (size_t i = 0; i < lines.size(); ++i) {
    // The baseline in pixels from the top, fractional.
    const double baseline = static_cast<double>(hhea->Ascender + line_units * static_cast<long>(i)) * scale;
    const double base_whole = std::floor(baseline);
    long pen_units = 0;
    for (char c : lines[i]) {
      const FT_UInt g = FT_Get_Char_Index(face, static_cast<unsigned char>(c));
      if (g == 0) {
        error = "no glyph for byte " + std::to_string(static_cast<unsigned char>(c));
        return false;
      }
      if (FT_Load_Glyph(face, g, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) {
        error = "FT_Load_Glyph failed";
        return false;
      }
      const double pen = static_cast<double>(pen_units) * scale;
      const double whole = std::floor(pen);
      // Outline y grows upwards: moving the baseline down by a fraction is
      // a negative translation.
      FT_Outline_Translate(&face->glyph->outline, static_cast<FT_Pos>(std::lround((pen - whole) * 64)),
                           -static_cast<FT_Pos>(std::lround((baseline - base_whole) * 64)));
      if (FT_Render_Glyph(face->glyph, setting.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) {
        error = "FT_Render_Glyph failed";
        return false;
      }
      Blit(face->glyph->bitmap, margin + static_cast<int>(whole) + face->glyph->bitmap_left,
           margin + static_cast<int>(base_whole) - face->glyph->bitmap_top, raster);
      FT_Fixed advance = 0;
      FT_Get_Advance(face, g, FT_LOAD_NO_SCALE, &advance);
      pen_units += advance;
    }
  }
  return true;
}

}  // namespace tavo::fonts
