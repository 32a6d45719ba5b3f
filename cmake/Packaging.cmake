# Installation (GNUInstallDirs) and the Debian package (CPack, DEB).
#
#   cmake --install <build> --prefix /usr      the files, as the package has them
#   cpack -G DEB --config <build>/CPackConfig.cmake
#       quillmar_<version>_<arch>.deb; scripts/package.sh does both from a
#       Release build of its own.
#
# Included last from the top-level CMakeLists.txt, so every executable
# target exists when the rules below look for it.
include(GNUInstallDirs)

set(QUILLMAR_APP_ID org.quillmar.Quillmar)
set(QUILLMAR_RELEASE_DATE 2026-12-07)
set(QUILLMAR_RELEASE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")
set(QUILLMAR_PACKAGE_MAINTAINER "The Quillmar developers <quillmar@example.org>"
    CACHE STRING "Maintainer field of the Debian package and its changelog")
set(QUILLMAR_ICON_SIZES 16 22 24 32 48 64 128 256)

set(pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(pkg_out ${PROJECT_BINARY_DIR}/packaging)
set(pkg_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillmar)
file(MAKE_DIRECTORY ${pkg_out})

# A file compressed as Debian wants it (gzip -9n: no name, no time stamp),
# made at build time into the packaging folder; its path goes to out_var.
function(quillmar_gzip source out_name out_var)
  set(out ${pkg_out}/${out_name})
  add_custom_command(OUTPUT ${out}
    COMMAND gzip -9n -c ${source} > ${out}
    DEPENDS ${source} VERBATIM)
  string(MAKE_C_IDENTIFIER "quillmar_gz_${out_name}" target)
  add_custom_target(${target} ALL DEPENDS ${out})
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()

# A manual page of section 1, installed compressed. @PROJECT_VERSION@ in the
# page is replaced.
function(quillmar_install_man_page source)
  get_filename_component(name ${source} NAME)
  configure_file(${source} ${pkg_out}/${name} @ONLY)
  quillmar_gzip(${pkg_out}/${name} ${name}.gz page)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# --- The window executable, its menu entry, icon, metainfo and page ---------
if(TARGET Quillmar)
  install(TARGETS Quillmar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  quillmar_install_man_page(${pkg_src}/Quillmar.1)
  install(FILES ${pkg_src}/${QUILLMAR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  configure_file(${pkg_src}/${QUILLMAR_APP_ID}.metainfo.xml.in ${pkg_out}/${QUILLMAR_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${pkg_out}/${QUILLMAR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

  # Icon 128 at the usual sizes of the hicolor theme, drawn by the program's
  # own icon code.
  add_executable(quillmar_icons ${pkg_src}/IconPngs.cpp)
  target_link_libraries(quillmar_icons PRIVATE quillmar_res)
  quillmar_warnings(quillmar_icons)
  set(icon_files)
  foreach(size ${QUILLMAR_ICON_SIZES})
    list(APPEND icon_files ${pkg_out}/icons/${size}x${size}/apps/${QUILLMAR_APP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${icon_files}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:quillmar_icons> ${pkg_out}/icons ${QUILLMAR_APP_ID} ${QUILLMAR_ICON_SIZES}
    DEPENDS quillmar_icons VERBATIM)
  add_custom_target(quillmar_icon_pngs ALL DEPENDS ${icon_files})
  install(DIRECTORY ${pkg_out}/icons/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor
          FILES_MATCHING PATTERN "*.png")
endif()

# --- The command-line tool --------------------------------------------------
if(TARGET quillmar-cli)
  install(TARGETS quillmar-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/cli/quillmar-cli.1)
  quillmar_install_man_page(${PROJECT_SOURCE_DIR}/cli/quillmar-cli.1)
endif()
# Loaded by bash-completion when quillmar-cli is first completed.
install(FILES ${PROJECT_SOURCE_DIR}/cli/quillmar-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME quillmar-cli)

# --- Device access, samples and the package's own documents -----------------
# lib/udev/rules.d under the prefix: /usr/lib/udev/rules.d in the package.
install(FILES ${PROJECT_SOURCE_DIR}/udev/70-quillmar.rules DESTINATION lib/udev/rules.d)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${pkg_doc}/examples)
install(FILES ${pkg_src}/copyright ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${pkg_doc})
configure_file(${pkg_src}/changelog.in ${pkg_out}/changelog @ONLY)
quillmar_gzip(${pkg_out}/changelog changelog.gz changelog_gz)
install(FILES ${changelog_gz} DESTINATION ${pkg_doc})

# --- Debian package -----------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillmar developers")
set(CPACK_PACKAGE_CONTACT ${QUILLMAR_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programmer for USB video bridge chips")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmar programs patch and firmware images into the EEPROM or flash of\n\
USB video bridge chips of seven types over USB HID feature reports,\n\
verifies them, reads them back and saves them as .bin files. It opens\n\
Intel HEX and raw binary images and edits them in a hex view and on an\n\
option page per chip type.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # quillmar_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLMAR_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not a shared library the executables link, but Qt's window-system plugins
# (xcb, wayland), without which the window can't open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The dialogs' fonts (their metrics set the layout) and the Chinese status texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-wqy-microhei, udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${pkg_src}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
