// The model's registry: builder, reader and glyph drawer of each symbology,
// keyed by the codes of the library's registry (symbologies/registry.h).  A
// new symbology adds one row here beside its row there.
#include "model_internal.h"
#include "symbologies/codes.h"

namespace tavo::model::detail {
namespace {

using namespace tavo::symbology;

// clang-format off
constexpr ModelRow kModelRows[] = {
    // code              builder        reader        glyphs             start character
    {kCode39FullAscii, BuildCode39,   ReadCode39,   DrawCode39Glyph,   true},
    {kCode39,          BuildCode39,   ReadCode39,   DrawCode39Glyph,   true},
    {kI2of5,           BuildI2of5,    ReadI2of5,    DrawI2of5Glyph,    true},
    {kCodabar,         BuildCodabar,  ReadCodabar,  DrawCodabarGlyph,  true},
    {kMsi,             BuildMsi,      ReadMsi,      DrawMsiGlyph,      true},
    {kCode93,          BuildCode93,   ReadCode93,   DrawCode93Glyph,   true},
    {kUpcA,            BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kUpcE,            BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kPostNet,         BuildPostNet,  ReadPostNet,  DrawPostNetGlyph,  false},
    {kEan8,            BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kEan13,           BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kCode128,         BuildCode128,  ReadCode128,  DrawCode128Glyph,  true},
    {kGs1_128,         BuildCode128,  ReadGs1_128,  DrawCode128Glyph,  true},
    {kGtin13,          BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kGtin8,           BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kGtin12,          BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kUpcE8,           BuildUpcEan,   ReadUpcEan,   DrawUpcEanGlyph,   false},
    {kImb,             BuildImb,      ReadImb,      DrawImbGlyph,      false},
    {kQr,              BuildQr,       ReadQr,       DrawQrGlyph,       false},
    {kDataMatrix,      BuildDataMatrix, ReadDataMatrix, DrawDataMatrixGlyph, false},
    {kItf14,           BuildItf14,    ReadItf14,    DrawItf14Glyph,    false},
    {kDatabar,         BuildDatabar,  ReadDatabar,  DrawDatabarGlyph,  false},
    {kDatabarStacked,  BuildDatabar,  ReadDatabar,  DrawDatabarGlyph,  false},
    {kDatabarStackedOmni, BuildDatabar, ReadDatabar, DrawDatabarGlyph, false},
    {kDatabarLimited,  BuildDatabar,  ReadDatabar,  DrawDatabarGlyph,  false},
    {kDatabarExpanded, BuildDatabarExpanded, ReadDatabarExpanded, DrawDatabarGlyph, false},
    {kDatabarExpandedStacked, BuildDatabarExpanded, ReadDatabarExpandedStacked, DrawDatabarGlyph, false},
    {kPdf417,          BuildPdf417,   ReadPdf417,   DrawPdf417Glyph,   false},
    {kMicroPdf417,     BuildMicroPdf417, ReadMicroPdf417, DrawPdf417Glyph, false},
    {kAztec,           BuildAztec,    ReadAztec,    DrawAztecGlyph,    false},
};
// clang-format on

}  // namespace

std::span<const ModelRow> ModelRows() { return kModelRows; }

const ModelRow* FindModelRow(int32_t symbology) {
  for (const ModelRow& row : kModelRows) {
    if (row.code == symbology) return &row;
  }
  return nullptr;
}

}  // namespace tavo::model::detail
