# Writes SITE/sw.js from TEMPLATE: the site's files, and a version that is
# the hash of them all.
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
# The large icons are for installing, which needs the network anyway.
list(FILTER files EXCLUDE REGEX "icons/zorbel-(256x256|512x512)\\.png$")
list(SORT files)
set(list "\"./\"")
set(all "")
foreach(f ${files})
  string(APPEND list ", \"${f}\"")
  file(SHA256 ${SITE}/${f} hash)
  string(APPEND all "${f}:${hash}\n")
endforeach()
string(SHA256 version "${all}")
string(SUBSTRING ${version} 0 16 ZORBEL_SITE_VERSION)
set(ZORBEL_SITE_FILES ${list})
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
