# Installation: the two programs, the images they load, and what a desktop
# needs to list and launch the toy (desktop entry, icons, metainfo, manual).
include(GNUInstallDirs)

set(ZORBEL_APP_ID io.github.zorbel.Zorbel)
set(ZORBEL_CONTACT "Zorbel contributors <zorbel@example.org>")
set(ZORBEL_HOMEPAGE "https://zorbel.github.io/")

# resourcePath() finds the images in <exe dir>/../share/zorbel, which holds
# for the default layout only.
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(WARNING "zorbel finds its images in <bindir>/../share/zorbel only: "
                  "bindir '${CMAKE_INSTALL_BINDIR}' and datadir '${CMAKE_INSTALL_DATADIR}' break that")
endif()

install(TARGETS zorbel zorbel-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES
    ${PROJECT_SOURCE_DIR}/resources/bb512x512.png
    ${PROJECT_SOURCE_DIR}/resources/bb480x320.png
    ${PROJECT_SOURCE_DIR}/resources/chalk512x512.png
    ${PROJECT_SOURCE_DIR}/resources/thumbTack32.png
    ${PROJECT_SOURCE_DIR}/resources/facemask25.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zorbel)
# The window's own icon.
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/zorbel-64x64.png DESTINATION ${CMAKE_INSTALL_DATADIR}/zorbel/icons)

install(FILES ${PROJECT_SOURCE_DIR}/data/${ZORBEL_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${ZORBEL_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual pages and the changelog go compressed, as Debian has them.
# gzip -n leaves out the file's name and time: the same source always gives
# the same bytes.
find_program(GZIP gzip REQUIRED)
set(gz_dir ${CMAKE_BINARY_DIR}/gz)
set(gzipped)
foreach(name zorbel.6 zorbel-sim.6 changelog)
  add_custom_command(OUTPUT ${gz_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/${name} ${gz_dir}/${name}
    COMMAND ${GZIP} -9nf ${gz_dir}/${name}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/${name}
    VERBATIM)
  list(APPEND gzipped ${gz_dir}/${name}.gz)
endforeach()
add_custom_target(zorbel_gzipped ALL DEPENDS ${gzipped})
install(FILES ${gz_dir}/zorbel.6.gz ${gz_dir}/zorbel-sim.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The copyright file in Debian's machine-readable format, its licence text
# and notice taken from LICENSE; beside it the changelog, named as a package
# made by its own authors names it.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" notice "${license}")
set(ZORBEL_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${license}" "Permission is hereby granted" start)
string(SUBSTRING "${license}" ${start} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " ZORBEL_LICENSE_TEXT " ${license}")
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
install(FILES ${CMAKE_BINARY_DIR}/copyright ${gz_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Icons in the hicolor theme: the hand-drawn SVG, and the PNGs zorbel-resgen
# draws at each size.
install(FILES ${PROJECT_SOURCE_DIR}/data/${ZORBEL_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/zorbel-${size}x${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${ZORBEL_APP_ID}.png)
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
