# The Debian package: `cpack -G DEB` or `cmake --build <build> --target package`
# in the build tree, after a build.
set(CPACK_PACKAGE_NAME zorbel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorbel contributors")
set(CPACK_PACKAGE_CONTACT "${ZORBEL_CONTACT}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${ZORBEL_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chalk stick figure toy on a blackboard")
set(CPACK_PACKAGE_DESCRIPTION [[
A chalk stick figure lives on a blackboard. He falls, slides, stands
himself up and keeps his balance by stepping as you tilt and shake the
board. Grab him with the mouse or your fingers, stretch him, tack him to
the board. Play music and he dances on the beat.

The package also holds zorbel-sim, which runs the scene headless from a
script and prints a trace of the figure.]])
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debianGames.cmake)
# dpkg-shlibdeps finds the libraries; its list is appended to these: the
# fonts the screens' text is set in, one with the metrics the texts were laid
# out for, and the fallback.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2 | fonts-urw-base35, fonts-dejavu-core")
# The camera's GStreamer elements: videoconvert, videoscale and appsink
# (base), v4l2src (good). Without them the camera only says it cannot be opened.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")

# A source tarball never takes build folders along.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
