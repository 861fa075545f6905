# Runs at install time: fills the launcher and manual page templates with the final install paths.

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

# In roff a backslash starts an escape and a plain "-" may print as a hyphen.
string(REPLACE "\\" "\\e" KANAMIINA_DATA_PARENT "${KANAMIINA_DATA_PARENT_DIR}")
string(REPLACE "-" "\\-" KANAMIINA_DATA_PARENT "${KANAMIINA_DATA_PARENT}")
configure_file("${KANAMIINA_MANUAL_TEMPLATE}" "${KANAMIINA_MANUAL}" @ONLY)
