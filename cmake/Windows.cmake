# Windows (MinGW-w64 cross build, tools/build-windows): the libraries come as static archives from
# the prefix that tool fills (SQLite, libxlsxwriter) and from Debian's MinGW packages (zlib); ODBC
# is the system's own odbc32. The targets carry the names the Linux build gets from pkg-config.
find_path(CHENGLING_SQLITE_INCLUDE_DIR sqlite3.h REQUIRED)
find_library(CHENGLING_SQLITE_LIBRARY NAMES libsqlite3.a REQUIRED)
find_path(CHENGLING_XLSXWRITER_INCLUDE_DIR xlsxwriter.h REQUIRED)
find_library(CHENGLING_XLSXWRITER_LIBRARY NAMES libxlsxwriter.a REQUIRED)
find_library(CHENGLING_ZLIB_LIBRARY NAMES libz.a REQUIRED)

add_library(PkgConfig::SQLITE3 INTERFACE IMPORTED)
target_include_directories(PkgConfig::SQLITE3 INTERFACE ${CHENGLING_SQLITE_INCLUDE_DIR})
target_link_libraries(PkgConfig::SQLITE3 INTERFACE ${CHENGLING_SQLITE_LIBRARY})
add_library(PkgConfig::XLSXWRITER INTERFACE IMPORTED)
target_include_directories(PkgConfig::XLSXWRITER INTERFACE ${CHENGLING_XLSXWRITER_INCLUDE_DIR})
target_link_libraries(PkgConfig::XLSXWRITER INTERFACE ${CHENGLING_XLSXWRITER_LIBRARY} ${CHENGLING_ZLIB_LIBRARY})
add_library(ZLIB::ZLIB INTERFACE IMPORTED)
target_link_libraries(ZLIB::ZLIB INTERFACE ${CHENGLING_ZLIB_LIBRARY})
add_library(PkgConfig::ODBC INTERFACE IMPORTED)
target_link_libraries(PkgConfig::ODBC INTERFACE odbc32)

# Debian's rcc compresses with zstd, which this Qt cannot read back.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)

# One self-contained .exe: MinGW's runtime (libgcc, libstdc++, winpthread) linked in, since a PC
# has none of its DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# CMake switches the linker back to dynamic libraries after the ones it takes for shared (odbc32 and
# the like, import libraries all the same), and the compiler's own libraries come last: keep it static.
set(CMAKE_EXE_LINK_DYNAMIC_C_FLAGS -Wl,-Bstatic)
set(CMAKE_EXE_LINK_DYNAMIC_CXX_FLAGS -Wl,-Bstatic)

# A static Qt links only the plugins it is told of: the Windows platform is imported by default;
# offscreen (tests, screenshots: `-platform offscreen`) and the SQLite driver (test fixtures) are not.
function(chengling_windows_plugins target)
    qt_import_plugins(${target} INCLUDE Qt6::QOffscreenIntegrationPlugin Qt6::QSQLiteDriverPlugin)
endfunction()

# Qt's own texts in Chinese: Debian's qtbase_zh_CN.qm (qt6-translations-l10n, the same Qt version)
# goes into the .exe, and a qt.conf in its resources points Qt's translations path there.
function(chengling_windows_translation target)
    set(qm /usr/share/qt6/translations/qtbase_zh_CN.qm)
    if(NOT EXISTS ${qm})
        message(FATAL_ERROR "${qm} is missing: install qt6-translations-l10n")
    endif()
    set(conf ${CMAKE_BINARY_DIR}/windows-qt-conf/qt.conf)
    file(WRITE ${conf} "[Paths]\nTranslations = :/translations\n")
    qt_add_resources(${target} ${target}_qt_conf PREFIX /qt/etc OPTIONS --no-zstd BASE ${CMAKE_BINARY_DIR}/windows-qt-conf FILES ${conf})
    qt_add_resources(${target} ${target}_qt_zh_cn PREFIX /translations OPTIONS --no-zstd BASE /usr/share/qt6/translations FILES ${qm})
endfunction()

# The .exe's icon and version information (packaging/windows/chengling-wuye.rc.in), compiled by
# windres. The .ico is made at build time from the committed icon PNG, so the two never differ.
enable_language(RC)
find_program(CHENGLING_PYTHON3 python3 REQUIRED)
function(chengling_windows_resources target)
    set(dir ${CMAKE_BINARY_DIR}/windows-rc)
    set(CHENGLING_ICO ${dir}/chengling-wuye.ico)
    add_custom_command(OUTPUT ${CHENGLING_ICO}
        COMMAND ${CHENGLING_PYTHON3} ${PROJECT_SOURCE_DIR}/packaging/windows/make_ico.py
                ${PROJECT_SOURCE_DIR}/resources/icon.png ${CHENGLING_ICO}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/windows/make_ico.py ${PROJECT_SOURCE_DIR}/resources/icon.png
        COMMENT "Making the Windows icon from resources/icon.png"
        VERBATIM)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/chengling-wuye.rc.in ${dir}/${target}.rc @ONLY)
    set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS ${CHENGLING_ICO})
    target_sources(${target} PRIVATE ${dir}/${target}.rc ${CHENGLING_ICO})
endfunction()
