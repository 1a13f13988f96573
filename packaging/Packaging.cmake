# The Debian package: `cpack -G DEB` in the build directory packages what
# `cmake --install` installs, under /usr, with the Debian packages it needs
# worked out by dpkg-shlibdeps from the programs themselves.
include(GNUInstallDirs)

set(EPINAX_METAINFO_ID example.epinax.epinax)
set(EPINAX_METAINFO ${CMAKE_CURRENT_LIST_DIR}/${EPINAX_METAINFO_ID}.metainfo.xml)
# The metainfo names the home page for software centres; the package takes it
# from there, so the two never disagree.
file(STRINGS ${EPINAX_METAINFO} EPINAX_HOMEPAGE REGEX "<url type=\"homepage\">")
string(REGEX REPLACE ".*<url type=\"homepage\">([^<]*)</url>.*" "\\1" EPINAX_HOMEPAGE "${EPINAX_HOMEPAGE}")

if(TARGET epinax)
  install(FILES ${EPINAX_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The programs read workbooks through this helper, which they look for beside themselves.
install(TARGETS epinax-workbook-reader RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Installing, and so packaging, copies what was built and builds nothing:
# cpack then takes seconds, and never rebuilds (or half rebuilds) a tree
# whose tests may be running. Build first: `cmake --build build`.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME epinax)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "e-ΠΙΝΑΞ maintainers")
set(CPACK_PACKAGE_CONTACT "e-ΠΙΝΑΞ maintainers <maintainers@epinax.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "annual aggregate statement of customers and suppliers (Greece)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "e-ΠΙΝΑΞ prepares the annual aggregate statement of customers and suppliers
that a Greek business submits to the tax authority. It keeps the
counterparties, their tax numbers, invoice counts and amounts, checks every
row as it is typed and the whole statement before saving, and writes the
fixed-width text file that the authority accepts. It imports rows from
spreadsheets, prints each list as the paper form or as a PDF, and packs the
statement file into a zip archive for upload. The windows are in Greek.

The package also holds epinax-cli, which prepares and checks statements in
bulk with the same rules.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${EPINAX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The build keeps its debugging information; the package does not need it.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
