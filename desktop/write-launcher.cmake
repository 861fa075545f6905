# Runs at install time: fills the launcher template with the final install paths.

get_filename_component(kanamiina_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
foreach(kanamiina_dir KANAMIINA_PROGRAM_DIR KANAMIINA_DATA_PARENT_DIR)
  if(NOT IS_ABSOLUTE "${${kanamiina_dir}}")
    set(${kanamiina_dir} "${kanamiina_prefix}/${${kanamiina_dir}}")
  endif()
endforeach()

# The paths go between single quotes in the shell script.
string(REPLACE "'" "'\\''" KANAMIINA_PROGRAM "${KANAMIINA_PROGRAM_DIR}/${KANAMIINA_PROGRAM_NAME}")
string(REPLACE "'" "'\\''" KANAMIINA_DATA_PARENT "${KANAMIINA_DATA_PARENT_DIR}")
configure_file("${KANAMIINA_LAUNCHER_TEMPLATE}" "${KANAMIINA_LAUNCHER}" @ONLY)
