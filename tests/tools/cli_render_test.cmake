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
file(REMOVE_RECURSE ${out})
