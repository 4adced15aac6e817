# What `cmake --install` puts where, and the Debian package made from it
# (scripts/package.sh). The version comes from project() in the top
# CMakeLists.txt, the one place the build keeps it; the licence box reads the
# same number from the program's version block.
include(GNUInstallDirs)

set(NOTARRA_APP_ID example.notarra.Notarra)
set(generated ${PROJECT_BINARY_DIR}/packaging)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/notarra)
set(mandir ${CMAKE_INSTALL_MANDIR}/man1)

# Man pages and the Debian changelog are installed gzipped, as Debian wants.
set(gzipped)
function(notarra_gzip source)
  get_filename_component(name ${source} NAME)
  configure_file(${source} ${generated}/${name} @ONLY)
  add_custom_command(OUTPUT ${generated}/${name}.gz
    COMMAND gzip -n -9 -c ${generated}/${name} > ${generated}/${name}.gz
    DEPENDS ${generated}/${name}
    VERBATIM)
  set(gzipped ${gzipped} ${generated}/${name}.gz PARENT_SCOPE)
endfunction()

install(TARGETS notarra-table RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
notarra_gzip(${PROJECT_SOURCE_DIR}/docs/man/notarra-table.1)
install(FILES ${generated}/notarra-table.1.gz DESTINATION ${mandir})
install(FILES ${PROJECT_SOURCE_DIR}/docs/notarra-table.md ${PROJECT_SOURCE_DIR}/docs/table-format.md
        DESTINATION ${docdir})

if(NOTARRA_GUI)
  install(TARGETS notarra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/notarra-launch DESTINATION ${CMAKE_INSTALL_BINDIR})
  notarra_gzip(${PROJECT_SOURCE_DIR}/docs/man/notarra.1)
  notarra_gzip(${PROJECT_SOURCE_DIR}/docs/man/notarra-launch.1)
  install(FILES ${generated}/notarra.1.gz ${generated}/notarra-launch.1.gz DESTINATION ${mandir})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/${NOTARRA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${NOTARRA_APP_ID}.metainfo.xml
                 ${generated}/${NOTARRA_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${generated}/${NOTARRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/notarra.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}x${size}/notarra.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# Debian wants its own copyright file and changelog in the package's doc folder.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${docdir})
notarra_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian)
install(FILES ${generated}/changelog.Debian.gz DESTINATION ${docdir})
add_custom_target(notarra_package_files ALL DEPENDS ${gzipped})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME notarra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR "The Notarra authors")
set(CPACK_PACKAGE_CONTACT "The Notarra authors <authors@notarra.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep, sort and filter ideas for blog posts")
set(CPACK_PACKAGE_DESCRIPTION
  "Notarra is a small desktop database in which a writer keeps ideas for blog
posts. Ideas are listed in a grid, edited in the grid or on a detail page,
sorted by clicking a column title and narrowed with a filter dialog. The
package also holds notarra-table, a command-line tool to inspect, dump,
write, import and export the program's table files.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.notarra.example/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies from the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (standard buttons, the print dialog) in the person's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
