# Installation and release packages, all from the project's one version.
# Linux: jmz with its manual page, bash completion, copyright file and
# changelog, packed as a Debian package. Windows: xcjm.exe and jmz.exe with a
# short read-me, the licence and the third-party notices; scripts/release.sh
# installs them stripped (a self-decrypting package starts where the program's
# image ends, so nothing may follow it), signs them and packs a zip and an
# installer per architecture.
include(GNUInstallDirs)

# The package maintainer: the one place the Debian control file, its
# changelog and its copyright file take it from.
set(XCJM_MAINTAINER "Seed 9ac7e72f maintainers <maintainers@users.noreply.c-seed-9ac7e72f.example>")

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "xcjm")
set(CPACK_STRIP_FILES TRUE)

# The "#define NAME "x.y"" of a header, for the notices.
function(xcjm_header_version out header name)
  file(STRINGS ${header} line REGEX "#define ${name} +\"[^\"]+\"")
  string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" version "${line}")
  set(${out} ${version} PARENT_SCOPE)
endfunction()

# THIRD-PARTY-NOTICES.txt: what the statically linked libraries are, how to
# relink with other builds of the LGPL ones, the LGPL's text and the
# libraries' copyright files as Debian ships them.
function(xcjm_write_notices out)
  xcjm_header_version(XCJM_ZLIB_VERSION ${ZLIB_INCLUDE_DIRS}/zlib.h ZLIB_VERSION)
  xcjm_header_version(XCJM_GCRYPT_VERSION ${GCRYPT_INCLUDE_DIR}/gcrypt.h GCRYPT_VERSION)
  xcjm_header_version(XCJM_GPG_ERROR_VERSION ${GCRYPT_INCLUDE_DIR}/gpg-error.h GPG_ERROR_VERSION)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/THIRD-PARTY-NOTICES.txt.in ${out} @ONLY)
  file(READ /usr/share/common-licenses/LGPL-2.1 text)
  file(APPEND ${out} "${text}")
  foreach(package libz-mingw-w64-dev libgcrypt-mingw-w64-dev libgpg-error-mingw-w64-dev mingw-w64-common
                  gcc-mingw-w64-base)
    set(copyright /usr/share/doc/${package}/copyright)
    if(NOT EXISTS ${copyright})
      message(FATAL_ERROR "${copyright} is missing: the notices need it (scripts/install-deps.sh)")
    endif()
    file(READ ${copyright} text)
    file(APPEND ${out} "\n\n==== ${package}: /usr/share/doc/${package}/copyright ====\n\n${text}")
  endforeach()
endfunction()

if(WIN32)
  set(xcjm_notices ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt)
  xcjm_write_notices(${xcjm_notices})
  install(TARGETS xcjm jmz RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/release-readme.txt DESTINATION . RENAME README.txt)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  install(FILES ${xcjm_notices} DESTINATION .)
else()
  # The manual page: the roff source with the version filled in, compressed
  # as Debian keeps manual pages; the changelog likewise.
  set(xcjm_man ${CMAKE_CURRENT_BINARY_DIR}/docs/jmz.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/jmz.1.in ${xcjm_man} @ONLY)
  # The date honours SOURCE_DATE_EPOCH (release.sh sets the last commit's).
  string(TIMESTAMP XCJM_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(xcjm_changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${xcjm_changelog} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/copyright
                 @ONLY)
  add_custom_command(OUTPUT ${xcjm_man}.gz ${xcjm_changelog}.gz
                     COMMAND gzip -9 -n -c ${xcjm_man} > ${xcjm_man}.gz
                     COMMAND gzip -9 -n -c ${xcjm_changelog} > ${xcjm_changelog}.gz
                     DEPENDS ${xcjm_man} ${xcjm_changelog}
                     COMMENT "Compressing the manual page jmz(1) and the changelog")
  add_custom_target(jmz_manpage ALL DEPENDS ${xcjm_man}.gz ${xcjm_changelog}.gz)

  install(TARGETS jmz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${xcjm_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/cli/jmz.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME jmz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/copyright ${xcjm_changelog}.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/jmz)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME jmz)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${XCJM_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt, decrypt, hash and shred files in the xcjm formats")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "jmz reads and writes the .jmz containers and .zak files of the xcjm\nfile-encryption program, checks MD5 digests and shreds files.")
endif()

include(CPack)
