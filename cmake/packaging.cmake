# Installation and release packages, all from the project's one version.
# Linux: jmz with its manual page and bash completion, packed as a Debian
# package. Windows: xcjm.exe and jmz.exe with a short read-me, packed as a zip
# per architecture (stripped: a self-decrypting package starts where the
# program's last section ends, so nothing may follow it).
include(GNUInstallDirs)

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "xcjm")
set(CPACK_STRIP_FILES TRUE)

if(WIN32)
  install(TARGETS xcjm jmz RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/release-readme.txt DESTINATION . RENAME README.txt)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
    set(xcjm_arch win64)
  else()
    set(xcjm_arch win32)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "xcjm-${PROJECT_VERSION}-${xcjm_arch}")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  # The manual page: the roff source with the version filled in, compressed
  # as Debian keeps manual pages.
  set(xcjm_man ${CMAKE_CURRENT_BINARY_DIR}/docs/jmz.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/jmz.1.in ${xcjm_man} @ONLY)
  add_custom_command(OUTPUT ${xcjm_man}.gz
                     COMMAND gzip -9 -n -c ${xcjm_man} > ${xcjm_man}.gz
                     DEPENDS ${xcjm_man} ${PROJECT_SOURCE_DIR}/docs/jmz.1.in
                     COMMENT "Compressing the manual page jmz(1)")
  add_custom_target(jmz_manpage ALL DEPENDS ${xcjm_man}.gz)

  install(TARGETS jmz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${xcjm_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/cli/jmz.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME jmz)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME jmz)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "xcjm developers <xcjm@localhost>")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt, decrypt, hash and shred files in the xcjm formats")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "jmz reads and writes the .jmz containers and .zak files of the xcjm\nfile-encryption program, checks MD5 digests and shreds files.")
endif()

include(CPack)
