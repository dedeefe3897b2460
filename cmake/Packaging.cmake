# The Debian package: "cpack -G DEB" in the build folder makes
# velmora2_VERSION_ARCH.deb with everything that "cmake --install" puts in
# place, under /usr. lintian finds neither errors nor warnings in it
# (tests/package/test_package.sh). The shared libraries it needs are read from the binaries
# by dpkg-shlibdeps (package dpkg-dev); what they load at run time is listed
# under Recommends.

set(CPACK_PACKAGE_NAME velmora2)
set(CPACK_PACKAGE_VENDOR "Velmora2 developers")
set(CPACK_PACKAGE_VERSION "${VELMORA_RELEASE_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt, decrypt and securely delete files")
set(CPACK_PACKAGE_DESCRIPTION
  "Velmora2 protects the files on your computer. It encrypts and decrypts files
in place with your personal key, exchanges keys through key files, and
destroys files by overwriting them before removing them. It can guard its own
start with a password typed through a prompt that buries every real keystroke
among decoy keystrokes. The windows speak German and English.

The package also holds velmora2-cli, which gives scripts the same engine,
with its manual page and bash completion.")
set(CPACK_PACKAGE_CONTACT "Velmora2 developers <velmora2@velmora.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins (xcb, wayland) and Qt's own German texts are loaded
# at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, qt6-translations-l10n")
# The Nautilus entries are an extension that only nautilus-python loads.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion, python3-nautilus")

# Every Debian package carries its copyright (machine-readable) and its
# changelog in /usr/share/doc/PACKAGE; the changelog gzipped as Debian keeps
# it. packaging/debian/changelog gets an entry for every release
# (tests/package/test_package.sh checks that the newest is this release).
set(VELMORA_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${CMAKE_BINARY_DIR}/packaging/changelog COPYONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9 -n -f -k changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/packaging
  VERBATIM)
add_custom_target(velmora2_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${VELMORA_PACKAGE_DOCDIR})

include(CPack)
