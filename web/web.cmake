# The browser build: kanamiina.js with its WebAssembly and data package, and the page,
# side by side at the top of the build tree.

# The data travels with its pictures as lossless WebP, LZ4-packed, so that a first visit downloads under 550 KB.
file(GLOB_RECURSE KANAMIINA_DATA CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*)
set(WEB_DATA ${PROJECT_BINARY_DIR}/data)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/data.made
  COMMAND rm -rf ${WEB_DATA}
  COMMAND ${PROJECT_SOURCE_DIR}/tools/web-pictures ${PROJECT_SOURCE_DIR}/data ${WEB_DATA}
  COMMAND touch ${PROJECT_BINARY_DIR}/data.made
  DEPENDS ${KANAMIINA_DATA} ${PROJECT_SOURCE_DIR}/tools/web-pictures)
add_custom_target(web_data DEPENDS ${PROJECT_BINARY_DIR}/data.made)
add_dependencies(kanamiina web_data)

# How each program of the browser build links, the game and the floor below alike.
set(WEB_LINK_OPTIONS -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web)

set_target_properties(kanamiina PROPERTIES SUFFIX .js LINK_DEPENDS ${PROJECT_BINARY_DIR}/data.made)
target_link_options(kanamiina PRIVATE ${WEB_LINK_OPTIONS} -sLZ4
  "SHELL:--preload-file ${WEB_DATA}@data" --use-preload-plugins)

set(WEB_PAGE_FILES index.html page.css page.js manifest.json)
# The page's help line lists the keys and its text the points as desktop/texts.cmake reads them.
foreach(page ${WEB_PAGE_FILES})
  if(page STREQUAL index.html)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/${page} ${PROJECT_BINARY_DIR}/${page} @ONLY)
  else()
    configure_file(${CMAKE_CURRENT_LIST_DIR}/${page} ${PROJECT_BINARY_DIR}/${page} COPYONLY)
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/desktop/icons/32x32/kanamiina.png ${PROJECT_BINARY_DIR}/kanamiina.png COPYONLY)

# The page installs as an app: its manifest names the icons drawn for a home screen. A service worker keeps
# the build for play without a network; it is written after each link, named by the build's content.
foreach(size 192 512)
  configure_file(${PROJECT_SOURCE_DIR}/desktop/icons/${size}x${size}/kanamiina.png ${PROJECT_BINARY_DIR}/icon-${size}.png COPYONLY)
endforeach()
list(TRANSFORM WEB_PAGE_FILES PREPEND ${CMAKE_CURRENT_LIST_DIR}/ OUTPUT_VARIABLE PAGE_SOURCES)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/service-worker.js
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/service-worker.cmake
  DEPENDS kanamiina ${CMAKE_CURRENT_LIST_DIR}/service-worker.js ${CMAKE_CURRENT_LIST_DIR}/service-worker.cmake
    ${PAGE_SOURCES})
add_custom_target(web_service_worker ALL DEPENDS ${PROJECT_BINARY_DIR}/service-worker.js)

# The least the browser's SDL 1.2 does before a first frame: bench/floor.cpp, which shows the
# background a pass at a time, in a page with nothing else. Only the browser test builds it and times
# it. (Debian 12's emcc fails on minifying a page of its own.)
add_executable(kanamiina_floor EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/floor.cpp)
target_link_libraries(kanamiina_floor PRIVATE lesson3)
add_dependencies(kanamiina_floor web_data)
set_target_properties(kanamiina_floor PROPERTIES SUFFIX .html LINK_DEPENDS ${PROJECT_SOURCE_DIR}/bench/web-floor.html)
target_link_options(kanamiina_floor PRIVATE ${WEB_LINK_OPTIONS}
  "SHELL:--preload-file ${WEB_DATA}/bg.bmp@data/bg.bmp" --use-preload-plugins
  "SHELL:--shell-file ${PROJECT_SOURCE_DIR}/bench/web-floor.html" -sMINIFY_HTML=0)
