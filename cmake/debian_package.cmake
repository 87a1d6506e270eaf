# The Linux install's documents and the Debian package (cpack -G DEB): the manual pages, the
# copyright file and the changelog, compressed as Debian wants them (gzip -9n: no name or time
# stamp inside, so a rebuild from the same sources gives the same files).
set(korvanta_generated_docs ${PROJECT_BINARY_DIR}/generated/doc)

# Writes ${target}.gz from ${source}.
function(korvanta_gzip source target)
  add_custom_command(OUTPUT ${target}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${source} ${target}
                     COMMAND gzip -9nf ${target}
                     DEPENDS ${source} VERBATIM)
endfunction()

set(korvanta_manual_pages)
foreach(program korvanta wandread wandsim)
  korvanta_gzip(${PROJECT_SOURCE_DIR}/docs/man/${program}.1 ${korvanta_generated_docs}/${program}.1)
  list(APPEND korvanta_manual_pages ${korvanta_generated_docs}/${program}.1.gz)
endforeach()
korvanta_gzip(${PROJECT_SOURCE_DIR}/res/debian/changelog ${korvanta_generated_docs}/changelog)
file(MAKE_DIRECTORY ${korvanta_generated_docs})
add_custom_target(korvanta_docs ALL DEPENDS ${korvanta_manual_pages} ${korvanta_generated_docs}/changelog.gz)

install(FILES ${korvanta_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES res/debian/copyright ${korvanta_generated_docs}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvanta)

set(CPACK_PACKAGE_NAME korvanta)
set(CPACK_PACKAGE_VENDOR "Korvanta")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Downloads the log of a data wand over a serial port")
set(CPACK_PACKAGE_DESCRIPTION
    "A handheld data wand logs, for each button it reads, the button's number and
the time. With the wand in its cradle on a serial port, the Korvanta window
downloads the wand's whole log, sets the wand's clock to the computer's local
time and shows the log as a table, which copies into a spreadsheet and exports
as an Excel workbook or a CSV file.

The package also holds the command-line collector wandread, which downloads
the same way from scripts, and the simulated wand wandsim, for trying both
without a wand.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Korvanta developers <dev@korvanta.invalid>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time rather than linked, so the library scan cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-arphic-uming, fontconfig")
# The debugging information stays in the build tree; the package's programs are stripped.
set(CPACK_STRIP_FILES ON)
# The font alias lives in /etc, where a local change must survive an upgrade.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/debian/conffiles
     CONTENT "${CMAKE_INSTALL_FULL_SYSCONFDIR}/fonts/conf.d/65-korvanta-simsun.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/generated/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
