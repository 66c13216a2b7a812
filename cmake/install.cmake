# Installation: the two programs, the images they load, and what a desktop
# needs to list and launch the toy (desktop entry, icons, metainfo, manual).
include(GNUInstallDirs)

set(ZORBEL_APP_ID io.github.zorbel.Zorbel)

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
install(FILES ${PROJECT_SOURCE_DIR}/data/zorbel.6 ${PROJECT_SOURCE_DIR}/data/zorbel-sim.6
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

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
