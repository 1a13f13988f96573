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

# The changelog's latest entry is the package's version: a release that
# forgets it fails here, not in lintian after the package is built.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog EPINAX_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT EPINAX_CHANGELOG_TOP MATCHES "^epinax \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with \"${EPINAX_CHANGELOG_TOP}\", "
                      "not with an entry for version ${PROJECT_VERSION}")
endif()

# Debian wants the changelog and the manual pages compressed at the highest
# level and without a time stamp (gzip -9n), so that a rebuild is identical.
set(EPINAX_PACKAGED_DIR ${PROJECT_BINARY_DIR}/packaged)
set(EPINAX_PACKAGED_FILES "")
function(epinax_gzip source name)
  set(copy ${EPINAX_PACKAGED_DIR}/${name})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
                     COMMAND gzip -9nf ${copy}
                     DEPENDS ${source} ${ARGN}
                     VERBATIM)
  set(EPINAX_PACKAGED_FILES ${EPINAX_PACKAGED_FILES} ${copy}.gz PARENT_SCOPE)
endfunction()

epinax_gzip(${CMAKE_CURRENT_LIST_DIR}/changelog changelog)
install(FILES ${EPINAX_PACKAGED_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The window program takes no options: its pages are written, in English and
# Greek. epinax-cli's is made from its own --help, so the two never disagree.
if(TARGET epinax)
  foreach(language en el)
    set(subdir "")
    if(NOT language STREQUAL en)
      set(subdir ${language}/)
    endif()
    configure_file(${CMAKE_CURRENT_LIST_DIR}/man/${subdir}epinax.1.in ${PROJECT_BINARY_DIR}/man/${subdir}epinax.1 @ONLY)
    epinax_gzip(${PROJECT_BINARY_DIR}/man/${subdir}epinax.1 ${subdir}epinax.1)
    install(FILES ${EPINAX_PACKAGED_DIR}/${subdir}epinax.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${subdir}man1)
  endforeach()
  file(MAKE_DIRECTORY ${EPINAX_PACKAGED_DIR}/el)
endif()
# The workbook reader is a helper that the programs start; its page is written.
configure_file(${CMAKE_CURRENT_LIST_DIR}/man/epinax-workbook-reader.1.in ${PROJECT_BINARY_DIR}/man/epinax-workbook-reader.1
               @ONLY)
epinax_gzip(${PROJECT_BINARY_DIR}/man/epinax-workbook-reader.1 epinax-workbook-reader.1)
install(FILES ${EPINAX_PACKAGED_DIR}/epinax-workbook-reader.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET epinax-cli)
  find_program(HELP2MAN help2man)
  if(HELP2MAN)
    set(page ${PROJECT_BINARY_DIR}/man/epinax-cli.1)
    set(include ${CMAKE_CURRENT_LIST_DIR}/man/epinax-cli.h2m)
    # In a UTF-8 locale, or help2man turns every Greek letter into "?".
    add_custom_command(OUTPUT ${page}
                       COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${HELP2MAN} --locale=C.UTF-8 --no-info --include ${include} --output ${page} $<TARGET_FILE:epinax-cli>
                       DEPENDS epinax-cli ${include}
                       VERBATIM)
    epinax_gzip(${page} epinax-cli.1)
    install(FILES ${EPINAX_PACKAGED_DIR}/epinax-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(WARNING "help2man is missing: epinax-cli gets no manual page (scripts/install-deps.sh installs it)")
  endif()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/completion/epinax-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()
add_custom_target(packaged_docs ALL DEPENDS ${EPINAX_PACKAGED_FILES})

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
