# Writes BUILD_DIR/service-worker.js from web/service-worker.js with the files it keeps for play without
# a network and the build's name: the SHA-256 of their SHA-256 digests, one "digest  name" line each.
# The browser build runs it after each link; the browser test runs it on a changed copy of a build.
#   cmake -DBUILD_DIR=build-web -P web/service-worker.cmake
set(KEPT_FILES index.html page.css page.js kanamiina.js kanamiina.wasm kanamiina.data kanamiina.png manifest.json)

set(lines "")
set(quoted "")
foreach(file ${KEPT_FILES})
  file(SHA256 ${BUILD_DIR}/${file} digest)
  string(APPEND lines "${digest}  ${file}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 build_digest "${lines}")
string(SUBSTRING ${build_digest} 0 16 WEB_BUILD_HASH)
list(JOIN quoted ", " WEB_KEPT_FILES)
configure_file(${CMAKE_CURRENT_LIST_DIR}/service-worker.js ${BUILD_DIR}/service-worker.js @ONLY)
