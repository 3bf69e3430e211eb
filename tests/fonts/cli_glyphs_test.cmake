# tavo glyphs: the JSON the font build reads, for a few glyphs whose bars
# follow from the symbologies' rules.
include(${CMAKE_CURRENT_LIST_DIR}/../tools/cli_common.cmake)

# Code 39 A at ratio 3: bars and spaces w1111w11w (bars wide, narrow,
# narrow, narrow, wide), then the narrow gap: 16 modules.
expect_output("glyphs;code39" "\n {\"code\": 65, \"name\": \"A\", \"advance\": 16, \"bars\": \\[{\"x\": 0, \"width\": 3, \"height\": \"full\"}, {\"x\": 4, \"width\": 1, \"height\": \"full\"}, {\"x\": 6, \"width\": 1, \"height\": \"full\"}, {\"x\": 10, \"width\": 1, \"height\": \"full\"}, {\"x\": 12, \"width\": 3, \"height\": \"full\"}\\], \"captions\": \\[\\]},\n")
# The same at ratio 2, with its caption centred over the bars.
expect_output("glyphs;1;--ratio;2;--caption" "\"code\": 65, \"name\": \"A\", \"advance\": 13, [^\n]*\"captions\": \\[{\"text\": \"A\", \"x\": 6, \"below\": true}\\]")
# The header, and a UPC/EAN caption glyph: no bars, the digit beside.
expect_output("glyphs;upca" "^{\"symbology\": 6, \"wide_ratio\": 3, \"caption\": false, \"glyphs\": \\[\n")
expect_output("glyphs;ean13" "\"code\": 33, \"name\": \"CAPTION 0\", \"advance\": 9, \"bars\": \\[\\], \"captions\": \\[{\"text\": \"0\", \"x\": 4.5, \"below\": false}\\]")
# PostNet 1: short short short tall tall.
expect_output("glyphs;postnet" "\"code\": 49, \"name\": \"1\", \"advance\": 10, \"bars\": \\[{\"x\": 0, \"width\": 1, \"height\": \"half\"}, {\"x\": 2, [^\n]*\"half\"}, {\"x\": 4, [^\n]*\"half\"}, {\"x\": 6, [^\n]*\"full\"}, {\"x\": 8, [^\n]*\"full\"}\\]")
# A caption with a quote is escaped.
expect_output("glyphs;code128;--caption" "\"captions\": \\[{\"text\": \"\\\\\"\", ")
expect_exit("glyphs;22" 2)  # code 22 never gets a symbology
expect_exit("glyphs" 2)
expect_exit("glyphs;code39;--ratio;4" 2)
