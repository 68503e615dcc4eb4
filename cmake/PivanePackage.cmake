# What `cmake --install` and `cpack -G DEB` put where. The installed pivane and pivanectl find
# libtolva.so through their RPATH and their program folder as <prefix>/share/pivane/ (the
# executable's folder holds no config.xml), so nothing has to be set in the environment.
if(NOT TARGET pivane OR NOT TARGET pivanectl OR NOT TARGET tolva)
  return()
endif()

# cpack installs what the build made; it does not build every test program first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(PIVANE_APP_ID org.pivane.Pivane)
set(PIVANE_SHARE share/pivane)

set_target_properties(tolva PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
set_target_properties(pivane pivanectl PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
install(TARGETS pivane pivanectl RUNTIME DESTINATION bin)
install(TARGETS tolva LIBRARY DESTINATION lib)

# The program folder: the shipped data as it stands in data/, plus what the tools draw.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${PIVANE_SHARE}
  PATTERN CMakeLists.txt EXCLUDE PATTERN desktop EXCLUDE PATTERN man EXCLUDE)
install(DIRECTORY ${PIVANE_PROGRAM_DIR}/skins DESTINATION ${PIVANE_SHARE})
install(FILES ${PIVANE_PROGRAM_DIR}/Pivane.ico DESTINATION ${PIVANE_SHARE})
install(FILES ${PIVANE_PROGRAM_DIR}/db/lightlayer_v1.data DESTINATION ${PIVANE_SHARE}/db)
# The external firmware tool is put here by a firmware package; the folder is the program's.
install(DIRECTORY DESTINATION ${PIVANE_SHARE}/firmware)

# Desktop integration.
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/${PIVANE_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/${PIVANE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION share/icons)
install(FILES ${CMAKE_SOURCE_DIR}/data/man/pivane.1 ${CMAKE_SOURCE_DIR}/data/man/pivanectl.1
  DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/udev/70-pivane.rules DESTINATION lib/udev/rules.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pivane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Pivane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration program for a family of USB gaming mice")
set(CPACK_PACKAGE_DESCRIPTION
  "Pivane sets the profiles, DPI levels and colours, report rate, debounce, wake-up, button\n"
  "functions, macros and lighting of a family of USB gaming mice, by cable or through the\n"
  "2.4 GHz receiver. pivanectl does the same from a terminal. A udev rule lets the user at\n"
  "the seat open the mice without root.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pivane developers <pivane@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opened at run time, so dpkg-shlibdeps does not see them: the update requests (libcurl, 7.85 for
# its protocol lists), the music lighting's capture and the notifier icon. shlibdeps adds the rest.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libcurl4 (>= 7.85.0) | libcurl3-gnutls (>= 7.85.0), libpulse0, libayatana-appindicator3-1")
# Debug information stays in the build tree.
set(CPACK_STRIP_FILES ON)
# libtolva.so is the package's own; dpkg-shlibdeps finds it beside the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/pivane-${PROJECT_VERSION}-Linux/usr/lib)
# Chinese texts need a CJK font; the skin carries the Latin one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/data/desktop/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
