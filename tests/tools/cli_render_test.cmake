# The tavo tool draws translated values: SVG and PNG files, and the checks on
# the picture options.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

set(out ${CMAKE_CURRENT_BINARY_DIR}/cli_render_out)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})

# The font string is still printed; the pictures come beside it.
expect_output("translate;ean13;590123412345;--svg;${out}/ean13.svg;--png;${out}/ean13.png"
              "^&~9ab23e\\|BCDEFH\\*_\nlength 17\n$")
file(READ ${out}/ean13.svg svg)
if(NOT svg MATCHES "^<\\?xml" OR NOT svg MATCHES "<svg " OR NOT svg MATCHES "<rect x=")
  message(FATAL_ERROR "ean13.svg is no SVG picture of bars:\n${svg}")
endif()
if(NOT svg MATCHES ">5</text>" OR NOT svg MATCHES ">7</text>")
  message(FATAL_ERROR "ean13.svg lacks the leading and check digit captions:\n${svg}")
endif()
file(READ ${out}/ean13.png signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "ean13.png has no PNG signature: ${signature}")
endif()

# Module, height, ratio and caption change the picture.
expect_output("translate;i2of5;1234567;--check;--png;${out}/small.png;--module;1;--height;10" "length 6")
expect_output("translate;i2of5;1234567;--check;--png;${out}/big.png;--module;3;--ratio;2.5;--caption"
              "length 6")
file(SIZE ${out}/small.png small)
file(SIZE ${out}/big.png big)
if(NOT big GREATER small)
  message(FATAL_ERROR "a wider, taller picture is not larger: ${small} vs ${big} bytes")
endif()
expect_output("translate;code39;AB;--svg;${out}/c39.svg;--caption;--module;0.5" "length 4")
file(READ ${out}/c39.svg svg)
if(NOT svg MATCHES ">A</text>" OR NOT svg MATCHES ">B</text>")
  message(FATAL_ERROR "the caption variant draws no caption:\n${svg}")
endif()

# Option errors are usage errors (2); a file that cannot be written is a
# failure (1).
expect_exit("translate;ean13;590123412345;--png;${out}/x.png;--module;0" 2)
expect_exit("translate;ean13;590123412345;--png;${out}/x.png;--module;0.5" 2)
expect_exit("translate;ean13;590123412345;--svg;${out}/x.svg;--ratio;4" 2)
expect_exit("translate;ean13;590123412345;--svg;${out}/x.svg;--height;tall" 2)
expect_exit("translate;ean13;590123412345;--svg" 2)
expect_exit("translate;ean13;590123412345;--png;${out}/no/such/dir/x.png" 1)
expect_exit("translate;ean13;59012341234A;--png;${out}/x.png" 1)

# expect_stderr(ARGS CODE REGEX): tavo exits with CODE and says REGEX on stderr.
function(expect_stderr args code regex)
  execute_process(COMMAND ${TAVO} ${args} OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL ${code} OR NOT err MATCHES "${regex}")
    message(FATAL_ERROR "tavo ${args}: exit ${rc}, wanted ${code} and ${regex}; stderr:\n${err}")
  endif()
endfunction()

# png_header(FILE VAR): the PNG's width and height in pixels and, when it has a
# pHYs chunk, its pixels per metre across and down and the unit, as
# "WxH ppm-across ppm-down unit" or "WxH none".
function(png_header file var)
  file(READ ${file} hex HEX)
  string(SUBSTRING "${hex}" 32 16 ihdr)
  string(SUBSTRING "${ihdr}" 0 8 w)
  string(SUBSTRING "${ihdr}" 8 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  if(hex MATCHES "70485973(........)(........)(..)")
    math(EXPR x "0x${CMAKE_MATCH_1}")
    math(EXPR y "0x${CMAKE_MATCH_2}")
    set(${var} "${w}x${h} ${x} ${y} ${CMAKE_MATCH_3}" PARENT_SCOPE)
  else()
    set(${var} "${w}x${h} none" PARENT_SCOPE)
  endif()
endfunction()

# The module from a physical size.  Code 39 "AB" is 83 modules wide (start,
# A, B, stop of 15 modules at ratio 3, three 1-module gaps, 10-module quiet
# zones) and 54 high (50 and two margins of 2).  A PNG module is that length
# at --dpi rounded to whole pixels, and the resolution is stored as pixels
# per metre (unit 01); an SVG keeps the exact length in mm.
set(physical
    # flags                         PNG: WxH, pHYs          SVG width and height
    "--dpi,300,--xdim,0.33mm|332x216 11811 11811 01|27.39mm|17.82mm"  # 3.90 px -> 4
    "--dpi,300,--xdim,13MIL|332x216 11811 11811 01|27.4066mm|17.8308mm"
    "--dpi,600,--xdim,10mil|498x324 23622 23622 01|21.082mm|13.716mm"  # exactly 6 px
    "--dpi,96|166x108 3780 3780 01|21.9604mm|14.2875mm"  # default 2 px, 1/96 in
    "--dpi,72,--module,4|332x216 2835 2835 01|87.8417mm|57.15mm"
    "--module,4|332x216 none|87.8417mm|57.15mm"  # no --dpi, no pHYs
    "--ratio,3|166x108 none|21.9604mm|14.2875mm")  # the defaults
foreach(row IN LISTS physical)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 flags)
  list(GET row 1 want_png)
  list(GET row 2 want_w)
  list(GET row 3 want_h)
  string(REPLACE "," ";" flags "${flags}")
  expect_output("translate;code39;AB;--png;${out}/phys.png;--svg;${out}/phys.svg;${flags}" "length 4")
  png_header(${out}/phys.png got)
  file(READ ${out}/phys.svg svg)
  if(NOT got STREQUAL want_png OR NOT svg MATCHES "width=\"${want_w}\" height=\"${want_h}\" viewBox=\"0 0 83 54\"")
    message(FATAL_ERROR "${flags}: PNG ${got}, wanted ${want_png}; SVG wanted ${want_w} x ${want_h}:\n${svg}")
  endif()
endforeach()

# Rounding to whole pixels is reported when it changes the module by more
# than 5%, and never refuses: a module is at least one pixel.
set(rounding
    "0.33mm|300|^$"  # 3.90 -> 4, +2.6%
    "0.25mm|96|0.94 pixels. the PNG draws 1 .*\\+5.8%"
    "0.1mm|96|0.38 pixels. the PNG draws 1"
    "0.5mm|72|1.42 pixels. the PNG draws 1 .*-29.4%")
foreach(row IN LISTS rounding)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 xdim)
  list(GET row 1 dpi)
  list(GET row 2 regex)
  expect_stderr("translate;code39;AB;--png;${out}/r.png;--xdim;${xdim};--dpi;${dpi}" 0 "${regex}")
endforeach()
expect_stderr("translate;code39;AB;--svg;${out}/r.svg;--xdim;0.1mm;--dpi;96" 0 "^$")  # an SVG is not rounded

# Colours: in the SVG as #rrggbb, in the PNG as a palette (PLTE), with alpha
# (tRNS) when the paper is none.
set(colours
    # fg          bg      SVG ink   SVG paper (none: no background)   PNG chunks
    "#F00|white|#ff0000|#ffffff|PLTE"
    "navy|#ffe|#000080|#ffffee|PLTE"
    "Black|NONE|#000000|none|tRNS"
    "#123456|#abc|#123456|#aabbcc|PLTE")
foreach(row IN LISTS colours)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 fg)
  list(GET row 1 bg)
  list(GET row 2 ink)
  list(GET row 3 paper)
  list(GET row 4 chunk)
  expect_output("translate;code39;AB;--svg;${out}/c.svg;--png;${out}/c.png;--fg;${fg};--bg;${bg}" "length 4")
  file(READ ${out}/c.svg svg)
  file(READ ${out}/c.png png HEX)
  string(HEX "${chunk}" chunk)
  if(paper STREQUAL "none")
    set(paper_ok TRUE)
    if(svg MATCHES "<rect width=\"100%\"")
      set(paper_ok FALSE)
    endif()
  else()
    string(FIND "${svg}" "<rect width=\"100%\" height=\"100%\" fill=\"${paper}\"/>" at)
    set(paper_ok FALSE)
    if(at GREATER -1)
      set(paper_ok TRUE)
    endif()
  endif()
  string(FIND "${png}" "${chunk}" chunk_at)
  if(NOT svg MATCHES "<g fill=\"${ink}\">" OR NOT paper_ok OR chunk_at EQUAL -1)
    message(FATAL_ERROR "--fg ${fg} --bg ${bg}: wanted ink ${ink}, paper ${paper}, chunk ${chunk}:\n${svg}")
  endif()
endforeach()

# Bars not clearly darker than the paper draw, with a warning: symbol
# contrast (the paper's relative luminance less the bars') under 40%.
set(contrast
    "navy|#ffe|^$"
    "red|white|^$"                     # 79%
    "#ccc|white|little darker than the paper \\(symbol contrast 40%\\)"  # 39.6%
    "#777|#888|little darker than the paper \\(symbol contrast 6%\\)"
    "white|black|no darker than the paper"
    "#ccc|none|^$")                    # transparent: the paper is not known
foreach(row IN LISTS contrast)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 fg)
  list(GET row 1 bg)
  list(GET row 2 regex)
  expect_stderr("translate;code39;AB;--svg;${out}/k.svg;--fg;${fg};--bg;${bg}" 0 "${regex}")
endforeach()

# Bad sizes and colours are usage errors that name what was wrong.
set(refused
    "--fg,pink|unknown colour 'pink' for --fg: give #rrggbb, #rgb or one of black"
    "--fg,none|unknown colour 'none' for --fg"
    "--bg,#12|unknown colour '#12' for --bg: give #rrggbb, #rgb, none or"
    "--bg,#ggghhh|unknown colour '#ggghhh' for --bg"
    "--bg,#fff0|unknown colour '#fff0'"
    "--xdim,13|--xdim takes a size in mm or mil"
    "--xdim,0mm|--xdim takes a size in mm or mil"
    "--xdim,0.33 mm|--xdim takes a size in mm or mil"
    "--xdim,30mm,--dpi,300|--xdim takes a size in mm or mil up to 25.4mm"
    "--xdim,0.33mm|--xdim needs --dpi"
    "--xdim,0.33mm,--dpi,300,--module,4|--module and --xdim both set the module size"
    "--dpi,0|--dpi takes a resolution"
    "--dpi,20000|--dpi takes a resolution")
foreach(row IN LISTS refused)
  string(REPLACE "|" ";" row "${row}")
  list(POP_BACK row regex)
  string(REPLACE "," ";" row "${row}")
  expect_stderr("translate;code39;AB;--png;${out}/bad.png;${row}" 2 "${regex}")
endforeach()
if(EXISTS ${out}/bad.png)
  message(FATAL_ERROR "a refused picture was written")
endif()

# Read back by a scanner: a linear PNG at 300 dpi and 0.33 mm, and the 2D
# symbols at their default module of 8 pixels.
find_program(ZBARIMG zbarimg)
find_program(DMTXREAD dmtxread)
if(NOT ZBARIMG OR NOT DMTXREAD)
  message(FATAL_ERROR "zbarimg and dmtxread are needed (scripts/install-deps.sh installs them)")
endif()
set(scans
    "code128,TAVO-0.33mm,--dpi,300,--xdim,0.33mm|${ZBARIMG}|CODE-128:TAVO-0.33mm"
    "ean13,590123412345,--dpi,300,--xdim,13mil,--fg,navy,--bg,#ffe|${ZBARIMG}|EAN-13:5901234123457"
    "qr,https://example.com/|${ZBARIMG}|QR-Code:https://example.com/"
    "datamatrix,TAVO 2D,--bg,none|${DMTXREAD}|^TAVO 2D$")
foreach(row IN LISTS scans)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 request)
  list(GET row 1 reader)
  list(GET row 2 want)
  string(REPLACE "," ";" request "${request}")
  expect_output("translate;${request};--png;${out}/scan.png" "length")
  execute_process(COMMAND ${reader} ${out}/scan.png OUTPUT_VARIABLE got ERROR_QUIET)
  string(STRIP "${got}" got)
  if(NOT got MATCHES "${want}")
    message(FATAL_ERROR "${request}: ${reader} read '${got}', wanted ${want}")
  endif()
endforeach()
# The 2D default module is 8 pixels: a QR Code of version 1 is 21 modules and
# 4 of quiet zone each side, a 10 x 10 Data Matrix has 2 each side.
foreach(row "qr;HELLO;232x232 none" "datamatrix;HELLO;112x112 none")
  list(GET row 0 sym)
  list(GET row 1 value)
  list(GET row 2 want)
  expect_output("translate;${sym};${value};--png;${out}/2d.png" "length")
  png_header(${out}/2d.png got)
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${sym} ${value}: PNG ${got}, wanted ${want}")
  endif()
endforeach()

# GS1-128 with --caption prints the human-readable text, parentheses and
# all, once under the whole symbol; without --caption there is no text.
set(gs1 "(01)09501101530003(17)250101(10)ABC123")
expect_output("translate;gs1-128;${gs1};--caption;--svg;${out}/gs1.svg;--png;${out}/gs1.png" "length 24")
file(READ ${out}/gs1.svg svg)
string(REGEX MATCHALL "<text [^>]*>[^<]*</text>" texts "${svg}")
list(LENGTH texts count)
string(REPLACE "(" "\\(" wanted "${gs1}")
string(REPLACE ")" "\\)" wanted "${wanted}")
if(NOT count EQUAL 1 OR NOT texts MATCHES ">${wanted}</text>")
  message(FATAL_ERROR "the GS1-128 caption is not its human-readable text: ${texts}")
endif()
execute_process(COMMAND ${ZBARIMG} -q ${out}/gs1.png OUTPUT_VARIABLE got ERROR_QUIET)
if(NOT got MATCHES "01095011015300031725010110ABC123")
  message(FATAL_ERROR "the captioned GS1-128 picture does not scan: ${got}")
endif()
expect_output("translate;gs1-128;${gs1};--svg;${out}/gs1.svg" "length 24")
file(READ ${out}/gs1.svg svg)
if(svg MATCHES "<text")
  message(FATAL_ERROR "a GS1-128 picture without --caption has text:\n${svg}")
endif()
file(REMOVE_RECURSE ${out})
