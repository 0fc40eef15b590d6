# Installing the program and packing it as a Debian package: "cmake --install <build> --prefix P" puts the
# program in P/bin and its files in P/share (see share/CMakeLists.txt); "cpack -G DEB" in the build folder
# (the "package" target) makes kivran_<version>_<arch>.deb for the prefix /usr.
install(TARGETS kivran RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kivran")
set(CPACK_PACKAGE_VENDOR "KIVRAN developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the raw bytes of files, with symbol files and macros")
set(CPACK_PACKAGE_DESCRIPTION
  "KIVRAN shows data as rows of address, value cells and characters; you type over it, insert and delete,
undo and redo, search and replace typed values, lay C-like struct declarations over the bytes, run macros,
edit another program's memory and compare with another running copy. Japanese and English interface.")
set(CPACK_PACKAGE_CONTACT "KIVRAN developers <kivran@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "editors")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The run-time libraries the program links, as dpkg-shlibdeps finds their packages (libqt6widgets6,
# libqt6printsupport6, libqt6network6, libqt6gui6 with the X11 platform plugin, libqt6core6, libc6, ...).
# The font with Japanese glyphs and the opener of the help pages are looked up at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, xdg-utils")
include(CPack)
