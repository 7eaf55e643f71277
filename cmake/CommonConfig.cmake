# What every target of the project compiles with: the warning set, and Qt's strictness about
# implicit conversions. With CHENGLING_WERROR (tools/test sets it) a warning fails the build.
option(CHENGLING_WERROR "Treat compiler warnings as errors" OFF)

add_library(cl_common_config INTERFACE)
target_compile_options(cl_common_config INTERFACE -Wall -Wextra -Wshadow $<$<BOOL:${CHENGLING_WERROR}>:-Werror>)
target_compile_definitions(cl_common_config INTERFACE QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
                                                      QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_URL_CAST_FROM_STRING)
