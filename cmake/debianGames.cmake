# Run by CPack on the Debian package's staged tree, before it is packed: a
# package of the games section keeps its programs in /usr/games. They still
# find their images, in /usr/games/../share/zorbel.
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(RENAME ${usr}/bin ${usr}/games)
