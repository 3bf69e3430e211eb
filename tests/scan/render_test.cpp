// The picture renderer on hand-built symbols: quiet zones, bar edges in
// pixels, bar heights, captions, SVG text and a PNG read back with libpng.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <string>

#include "render.h"

namespace tavo::render {
namespace {

using model::BarHeight;
using model::Element;

model::Symbol Bars(std::vector<Element> elements, double quiet = 3) {
  model::Symbol s;
  s.elements = std::move(elements);
  s.quiet_left = s.quiet_right = quiet;
  return s;
}

// The pixel row through the middle of the ordinary bars, as '#' and '.'.
std::string MiddleRow(const Raster& r, int y) {
  std::string row;
  for (int x = 0; x < r.width; ++x) row += r.At(x, y) == 0 ? '#' : '.';
  return row;
}

TEST(RenderLayout, BarsStandBetweenTheQuietZones) {
  struct Case {
    std::vector<Element> elements;
    double module;
    const char* row;
    const char* why;
  };
  const Case cases[] = {
      {{{true, 1}, {false, 1}, {true, 2}}, 2, "......##..####......", "whole modules at 2 px"},
      {{{true, 1}, {false, 2.5}, {true, 2.5}}, 2, "......##.....#####......", "wide 2.5: edges rounded"},
      {{{true, 3}}, 1, "...###...", "one bar at 1 px"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Layout layout = LayOut(Bars(c.elements), 10, false);
    Raster r = Rasterize(layout, c.module);
    EXPECT_EQ(MiddleRow(r, r.height / 2), c.row);
  }
}

TEST(RenderLayout, GuardBarsReachBelowAndShortBarsStandOnTheBaseLine) {
  model::Symbol s = Bars({{true, 1, BarHeight::kGuard}, {false, 1}, {true, 1}, {false, 1},
                          {true, 1, BarHeight::kHalf}});
  Layout layout = LayOut(s, 10, false);
  ASSERT_EQ(layout.bars.size(), 3u);
  const Rect& guard = layout.bars[0];
  const Rect& full = layout.bars[1];
  const Rect& half = layout.bars[2];
  EXPECT_EQ(guard.y, full.y);
  EXPECT_GT(guard.h, full.h) << "guard bars descend below the others";
  EXPECT_DOUBLE_EQ(half.y + half.h, full.y + full.h) << "short bars share the bottom line";
  EXPECT_LT(half.h, full.h);
  EXPECT_GE(layout.height, guard.y + guard.h);
}

TEST(RenderLayout, DefaultHeightIsShortForPostalSymbols) {
  Layout linear = LayOut(Bars({{true, 1}}), 0, false);
  Layout postal = LayOut(Bars({{true, 1}, {false, 1}, {true, 1, BarHeight::kHalf}}), 0, false);
  EXPECT_DOUBLE_EQ(linear.bars[0].h, kDefaultHeight);
  EXPECT_DOUBLE_EQ(postal.bars[0].h, kDefaultPostalHeight);
}

TEST(RenderLayout, CaptionsWidenThePictureAndSitUnderTheBars) {
  model::Symbol s = Bars({{true, 1}, {false, 1}, {true, 1}}, 2);
  s.captions = {{"123", -10, false}, {"AB", 1.5, true}};
  Layout layout = LayOut(s, 10, true);
  ASSERT_EQ(layout.texts.size(), 2u);
  // "123" is 17 modules wide and centred 10 left of the first bar.
  double first_bar = layout.bars[0].x;
  EXPECT_DOUBLE_EQ(layout.texts[0].x, first_bar - 10);
  EXPECT_GE(layout.texts[0].x - 8.5, 0) << "the caption fits in the picture";
  EXPECT_GE(layout.texts[1].top, layout.bars[0].y + layout.bars[0].h);
  Raster r = Rasterize(layout, 1);
  bool ink = false;
  int y = static_cast<int>(layout.texts[1].top) + 3;
  for (int x = 0; x < r.width; ++x) ink = ink || r.At(x, y) == 0;
  EXPECT_TRUE(ink) << "caption glyphs drawn under the bars";
  EXPECT_TRUE(LayOut(s, 10, false).texts.empty());
}

TEST(RenderSvg, OneRectPerBarAndEscapedCaptions) {
  model::Symbol s = Bars({{true, 1}, {false, 1.5}, {true, 2}}, 20);
  s.captions = {{"<A&B>", 2, true}};
  std::string svg = SvgDocument(LayOut(s, 20, true), 3);
  size_t rects = 0;
  for (size_t at = 0; (at = svg.find("<rect", at)) != std::string::npos; ++at) ++rects;
  EXPECT_EQ(rects, 3u) << "background and two bars";
  EXPECT_NE(svg.find("<rect x=\"22.5\" y=\"2\" width=\"2\" height=\"20\"/>"), std::string::npos) << svg;
  EXPECT_NE(svg.find("&lt;A&amp;B&gt;"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 "), std::string::npos);
}

TEST(RenderPng, WrittenPictureReadsBackPixelForPixel) {
  Layout layout = LayOut(Bars({{true, 1}, {false, 2}, {true, 3}}), 8, false);
  Raster r = Rasterize(layout, 2);
  auto path = std::filesystem::temp_directory_path() / "tavo-render-test.png";
  std::string error;
  ASSERT_TRUE(WritePng(r, path.string(), error)) << error;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.string().c_str())) << image.message;
  image.format = PNG_FORMAT_GRAY;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
  std::filesystem::remove(path);
  EXPECT_EQ(static_cast<int>(image.width), r.width);
  EXPECT_EQ(static_cast<int>(image.height), r.height);
  EXPECT_EQ(pixels, r.pixels);
  EXPECT_FALSE(WritePng(r, "/nonexistent-dir/x.png", error));
}

// libpng's reading of the pHYs chunk, a bad CRC being an error: pixels per
// unit across and down, and the unit; unit -1 when there is no pHYs, -2 when
// libpng refuses the file.  Kept apart from the caller's locals because of
// setjmp.
void ReadPhys(std::FILE* file, png_uint_32* x, png_uint_32* y, int* unit) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  *unit = -2;
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_read_info(png, info);
    if (!png_get_pHYs(png, info, x, y, unit)) *unit = -1;
  }
  png_destroy_read_struct(&png, &info, nullptr);
}

TEST(RenderPng, ColoursAndResolutionReadBack) {
  struct Case {
    Style style;
    png_uint_32 pixels_per_metre;  // 0: no pHYs
    const char* why;
  };
  const Case cases[] = {
      {{kBlack, kWhite, 300}, 11811, "300 dpi is 11811 pixels a metre"},
      {{{0, 0, 128}, {255, 255, 238}, 600}, 23622, "navy on cream, 600 dpi"},
      {{{255, 0, 0}, {255, 255, 255, false}, 0}, 0, "red on transparent paper, no resolution"},
      {{kBlack, kWhite, 96}, 3780, "96 dpi"},
  };
  Layout layout = LayOut(Bars({{true, 1}, {false, 2}, {true, 3}}), 8, false);
  Raster r = Rasterize(layout, 2);
  auto path = std::filesystem::temp_directory_path() / "tavo-render-colour-test.png";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::string error;
    ASSERT_TRUE(WritePng(r, c.style, path.string(), error)) << error;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.string().c_str())) << image.message;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    ASSERT_EQ(rgba.size(), r.pixels.size() * 4);
    for (size_t i = 0; i < r.pixels.size(); ++i) {
      const Colour& want = r.pixels[i] == 0 ? c.style.ink : c.style.paper;
      const std::array<uint8_t, 4> expected = {want.red, want.green, want.blue,
                                               static_cast<uint8_t>(want.opaque ? 255 : 0)};
      const bool same = std::equal(expected.begin(), expected.end(), rgba.begin() + static_cast<ptrdiff_t>(i * 4));
      if (!same && want.opaque) FAIL() << "pixel " << i << " is not the colour drawn";
      if (!want.opaque && rgba[i * 4 + 3] != 0) FAIL() << "pixel " << i << " is not transparent";
    }
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ReadPhys(file, &x, &y, &unit);
    std::fclose(file);
    if (c.pixels_per_metre == 0) {
      EXPECT_EQ(unit, -1) << "no pHYs without a resolution";
    } else {
      EXPECT_EQ(unit, PNG_RESOLUTION_METER);
      EXPECT_EQ(x, c.pixels_per_metre);
      EXPECT_EQ(y, c.pixels_per_metre);
    }
  }
  std::filesystem::remove(path);
}

TEST(RenderSvg, SizedInMillimetresWithTheViewBoxInModules) {
  Layout layout = LayOut(Bars({{true, 1}, {false, 1}, {true, 2}}, 10), 20, false);  // 24 x 24 modules
  const std::string svg = SvgDocumentMm(layout, 0.5, {{0, 0, 128}, {255, 255, 255, false}, 0});
  EXPECT_NE(svg.find("width=\"12mm\" height=\"12mm\" viewBox=\"0 0 24 24\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("<g fill=\"#000080\">"), std::string::npos) << svg;
  EXPECT_EQ(svg.find("<rect width=\"100%\""), std::string::npos) << "transparent paper draws no background";
}

}  // namespace
}  // namespace tavo::render
