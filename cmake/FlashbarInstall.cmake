# Installing: the programs in bin/, their files in share/flashbar/ (found
# relative to bin/ at run time), the desktop's files in share/.

# The installed programs, one a line.
install(TARGETS
  flashbar
  flashbar-catalogue
  flashbar-site
  flashbar-dm
  RUNTIME DESTINATION bin)

# The Flash player, from the npm package (scripts/install-deps).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/node_modules/@ruffle-rs/ruffle/
  DESTINATION share/flashbar/ruffle
  PATTERN "*.map" EXCLUDE
  PATTERN "package.json" EXCLUDE)

install(FILES README.md DESTINATION share/doc/flashbar)

# make package: a Debian package whose dependencies come from the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME flashbar)
set(CPACK_PACKAGE_VENDOR "KelvoFlash")
set(CPACK_PACKAGE_CONTACT "KelvoFlash <support@kelvoflash.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "KelvoFlash吧: desktop client for a catalogue of Flash animations")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time rather than linked: the SQLite driver, the downloads'
# engine and the Chinese fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6webenginecore6-bin, aria2, fonts-noto-cjk | fonts-arphic-uming")
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libmdb3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming, fonts-noto-cjk")
include(CPack)
