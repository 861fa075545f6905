# Runs at install time before anything is copied: notes the directories that
# this install makes, so that uninstall can remove them again once they are empty.

get_filename_component(kanamiina_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(KANAMIINA_NEW_DIRS "")
foreach(kanamiina_dir ${KANAMIINA_INSTALL_DIRS})
  if(NOT IS_ABSOLUTE "${kanamiina_dir}")
    set(kanamiina_dir "${kanamiina_prefix}/${kanamiina_dir}")
  endif()
  while(NOT kanamiina_dir STREQUAL "/" AND NOT EXISTS "$ENV{DESTDIR}${kanamiina_dir}")
    list(APPEND KANAMIINA_NEW_DIRS "${kanamiina_dir}/")
    cmake_path(GET kanamiina_dir PARENT_PATH kanamiina_dir)
  endwhile()
endforeach()

# Installed over an earlier install from this build, which is still all in
# place, the directories that the earlier one made are this one's too.
if(CMAKE_INSTALL_COMPONENT)
  set(kanamiina_manifest "${KANAMIINA_BINARY_DIR}/install_manifest_${CMAKE_INSTALL_COMPONENT}.txt")
else()
  set(kanamiina_manifest "${KANAMIINA_BINARY_DIR}/install_manifest.txt")
endif()
if(EXISTS "${kanamiina_manifest}")
  file(STRINGS "${kanamiina_manifest}" kanamiina_earlier)
  set(kanamiina_earlier_dirs "")
  foreach(kanamiina_path ${kanamiina_earlier})
    if(kanamiina_path MATCHES "/$")
      list(APPEND kanamiina_earlier_dirs "${kanamiina_path}")
    elseif(NOT EXISTS "$ENV{DESTDIR}${kanamiina_path}")
      set(kanamiina_earlier_dirs "")
      break()
    endif()
  endforeach()
  list(APPEND KANAMIINA_NEW_DIRS ${kanamiina_earlier_dirs})
endif()

# The manifest lists them after the files, each before the directory that holds it.
list(REMOVE_DUPLICATES KANAMIINA_NEW_DIRS)
list(SORT KANAMIINA_NEW_DIRS ORDER DESCENDING)
