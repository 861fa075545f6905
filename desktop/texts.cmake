# What the texts around the game say of it, each written once: the counts as the game's code has them,
# and the keys as desktop/keys lists them. The manual, the Windows readme and the page are filled in
# from these variables.

function(kanamiina_game_constant file name variable)
  file(STRINGS ${PROJECT_SOURCE_DIR}/game/${file} line REGEX "const int ${name} = [0-9]+;")
  string(REGEX MATCH "= ([0-9]+)" value "${line}")
  if(NOT CMAKE_MATCH_1)
    message(FATAL_ERROR "game/${file} has no ${name} for the texts to state")
  endif()
  set(${variable} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
kanamiina_game_constant(lesson3.h KANA_COUNT KANAMIINA_CHICKENS)
kanamiina_game_constant(lesson3.h MIINA_SLOTS KANAMIINA_MINES)
kanamiina_game_constant(lesson3.cpp MIINAT_AT_ONCE KANAMIINA_MINES_AT_ONCE)
kanamiina_game_constant(lesson3.cpp POINTS_PER_KANA KANAMIINA_POINTS)

# The keys as a roff list, as plain text in two columns, and as one line of HTML.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/keys key_lines REGEX "^[^#]")
foreach(line IN LISTS key_lines)
  string(REGEX REPLACE "\t.*" "" key "${line}")
  string(REGEX REPLACE "^[^\t]*\t" "" what "${line}")
  string(LENGTH "${key}" length)
  math(EXPR padding "19 - ${length}")
  string(REPEAT " " ${padding} spaces)
  string(APPEND KANAMIINA_KEYS_ROFF ".TP\n.B ${key}\n${what}.\n")
  string(APPEND KANAMIINA_KEYS_TEXT "  ${key}${spaces}${what}\n")
  string(APPEND KANAMIINA_KEYS_HTML "${key}: ${what} &middot;\n    ")
endforeach()
