# The tavo tool on the retail symbologies: UPC-A, UPC-E, EAN/JAN-8, EAN/JAN-13.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

expect_output("translate;upca;01234567890" "^!~u12345\\|GHIJAP\\*\\\\xB0\nlength 17\n$")
expect_output("translate;upca;0123456789012" "^!~u12345\\|GHIJAP\\*Z=l@m_\nlength 22\n$")
expect_output("translate;upce;123405" "^!~bc345e\\^\\\\xAE\nlength 10\n$")
expect_output("translate;upce;12345652495" "^!~b23ef6\\^Z=\\\\xA6@m@\\\\xA5@t@p_\nlength 21\n$")
expect_output("translate;ean8;9638507" "^_~9638\\|FAHE\\*_\nlength 13\n$")
expect_output("translate;ean13;590123412345" "^&~9ab23e\\|BCDEFH\\*_\nlength 17\n$")
expect_output("translate;10;97801234567891" "^\\+~7ia1c3\\|EFGHIG\\*_=\\\\xAA@\\\\xA2_\nlength 22\n$")
# UPC-A's check digit is not optional: --check there names what it has.
expect_exit("translate;upca;01234567890;--check" 2)
expect_output("error;32500" "^Incomplete number of UPC-A characters")
expect_exit("translate;upca;0123456789" 1)
expect_exit("translate;upce;0123456" 1)
expect_exit("translate;ean8;12345678901234" 1)
expect_exit("translate;ean13;59012341234X" 1)
