# Install layout (`cmake --install`, and the .deb built from it):
#   bin/chengling-wuye              -> ../lib/chengling-wuye/chengling-wuye (relative link)
#   bin/chengling-wuye-demo            opens the program on the demo database
#   lib/chengling-wuye/                the program, MDI.BMP beside it, the demo generator
#   share/chengling-wuye/              the schemas, for setting up a test database
#   share/applications/, share/icons/hicolor/<size>/apps/
# The program reads MDI.BMP from applicationDirPath(), which resolves the link in bin/, so the
# picture must sit beside the real executable.
set(CHENGLING_INSTALL_LIBDIR lib/chengling-wuye)

install(TARGETS chengling-wuye chengling-demo-db RUNTIME DESTINATION ${CHENGLING_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/MDI.BMP DESTINATION ${CHENGLING_INSTALL_LIBDIR})

# A relative link, so that the tree can be moved (staging folder, other prefix) as it is.
set(chengling_link ${CMAKE_BINARY_DIR}/install-links/chengling-wuye)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ../${CHENGLING_INSTALL_LIBDIR}/chengling-wuye ${chengling_link} SYMBOLIC)
install(FILES ${chengling_link} DESTINATION bin)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/chengling-wuye-demo DESTINATION bin)

install(FILES ${PROJECT_SOURCE_DIR}/db/sqlite.sql ${PROJECT_SOURCE_DIR}/db/sqlserver.sql
        DESTINATION share/chengling-wuye)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/chengling-wuye.desktop
              ${PROJECT_SOURCE_DIR}/packaging/chengling-wuye-demo.desktop
        DESTINATION share/applications)

# The committed icon is 256 pixels; menus and task bars look up the smaller sizes, which are
# scaled from it at build time with Qt (no image tools needed on the build machine).
set(CHENGLING_ICON_SIZES 16 32 48 64 128)
set(chengling_icon_dir ${CMAKE_BINARY_DIR}/icons)
set(chengling_icons)
foreach(size ${CHENGLING_ICON_SIZES})
    list(APPEND chengling_icons ${chengling_icon_dir}/${size}x${size}/chengling-wuye.png)
endforeach()
add_executable(chengling-icon-sizes ${PROJECT_SOURCE_DIR}/packaging/scale_icon.cpp)
target_link_libraries(chengling-icon-sizes PRIVATE Qt6::Gui)
add_custom_command(OUTPUT ${chengling_icons}
    COMMAND chengling-icon-sizes ${PROJECT_SOURCE_DIR}/resources/icon.png ${chengling_icon_dir}
            ${CHENGLING_ICON_SIZES}
    DEPENDS chengling-icon-sizes ${PROJECT_SOURCE_DIR}/resources/icon.png
    COMMENT "Scaling the icon for the hicolor theme"
    VERBATIM)
add_custom_target(chengling-icons ALL DEPENDS ${chengling_icons})
foreach(size ${CHENGLING_ICON_SIZES})
    install(FILES ${chengling_icon_dir}/${size}x${size}/chengling-wuye.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icon.png DESTINATION share/icons/hicolor/256x256/apps
        RENAME chengling-wuye.png)
