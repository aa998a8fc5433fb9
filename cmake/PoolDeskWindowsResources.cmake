# pooldesk_add_windows_resources(<target> DESCRIPTION <text>)
# Gives a Windows executable PoolDesk's icon, a version resource (the project's version, the
# description) and the manifest (common controls 6, per-monitor v2 DPI awareness, long paths,
# no elevation). Does nothing elsewhere.
function(pooldesk_add_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
  set(resources ${PROJECT_SOURCE_DIR}/src/app/resources)
  set(POOLDESK_ICON_FILE ${resources}/pooldesk.ico)
  set(POOLDESK_FILE_NAME ${target})
  set(POOLDESK_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
  set(POOLDESK_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(POOLDESK_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(POOLDESK_MANIFEST_FILE ${generated}/${target}.manifest)
  configure_file(${resources}/pooldesk.manifest.in ${POOLDESK_MANIFEST_FILE} @ONLY)
  configure_file(${resources}/pooldesk.rc.in ${generated}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${generated}/${target}.rc)
  # windres does not see the icon and the manifest as inputs.
  set_source_files_properties(${generated}/${target}.rc PROPERTIES
                              OBJECT_DEPENDS "${POOLDESK_ICON_FILE};${POOLDESK_MANIFEST_FILE}")
endfunction()
