# `cpack` in the build folder makes the Debian package chengling-wuye_<version>-1_<arch>.deb.
# Depends: the shared libraries dpkg-shlibdeps finds in the binaries (SQLite and the ODBC driver
# manager among them), plus what Qt and unixODBC load by name at run time, which no linker
# records: Qt's SQLite driver (the demo database's generator), the platform plugins, the FreeTDS
# ODBC driver and its registration, the Chinese fonts and Qt's Chinese translation.
set(CHENGLING_PACKAGE_MAINTAINER "澄岭物业工具开发组 <wuye-tools@chengling.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME chengling-wuye)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "澄岭物业")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "澄岭物业工具_配置版")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CHENGLING_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line of the description; CPack puts it before this one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "为新进户生成业主编号、设置银行扣款方式；连接公司的 SQL Server 数据库，也可在本机演示数据库上试用。")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, qt6-qpa-plugins, tdsodbc, unixodbc, fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
