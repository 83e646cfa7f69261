# Installing: the programs in bin/, their files in share/flashbar/ (found
# relative to bin/ at run time), the desktop's files in share/.

# The installed programs, one a line.
install(TARGETS
  flashbar
  flashbar-catalogue
  flashbar-site
  flashbar-dm
  flashbar-update
  RUNTIME DESTINATION bin)

# The Flash player, from the npm package (scripts/install-deps); its
# licences are in the package's copyright file (data/package/copyright).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/node_modules/@ruffle-rs/ruffle/
  DESTINATION share/flashbar/ruffle
  PATTERN "*.map" EXCLUDE
  PATTERN "package.json" EXCLUDE
  PATTERN "README.md" EXCLUDE
  PATTERN "LICENSE_*" EXCLUDE)

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
set(CPACK_STRIP_FILES ON)
# The long description, a line each (no line of it longer than 80
# characters); CPack puts the summary above it.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "KelvoFlash吧 browses a web site's catalogue of Flash animations by class"
  "and column, plays them in its own browser window with the Ruffle player,"
  "hands downloads to its own download manager, keeps subscriptions and"
  "favourites, searches the catalogue and the site, logs in and sends"
  "greeting cards."
  ""
  "The package also carries the demo site, which the program starts by itself"
  "for a local site address, and a tool that writes demo catalogues.")
# Loaded at run time rather than linked, one a line: the SQLite driver, the
# web engine's helper, the downloads' engine, the Access reader for imports, and the fonts the windows are
# drawn for (the 12-pixel bitmaps of AR PL UMing, DejaVu for Latin text).
set(flashbar_run_depends
  libqt6sql6-sqlite
  libqt6webenginecore6-bin
  aria2
  fonts-arphic-uming
  fonts-dejavu-core
  libmdb3
)
list(JOIN flashbar_run_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# Opens pages and help files with the desktop's own programs; runs on a
# Wayland desktop's compositor rather than through its X server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
