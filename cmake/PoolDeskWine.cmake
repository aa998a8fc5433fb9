# The Windows build's tests run under Wine through cmake/wine-run.sh.in, configured into the
# build folder with its own prefix there.
if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
  return()
endif()
set(POOLDESK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(POOLDESK_WINEPATH "Z:${POOLDESK_WINDOWS_PREFIX}/bin")
set(POOLDESK_QT_PLUGIN_PATH "Z:${POOLDESK_WINDOWS_PREFIX}/plugins")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
