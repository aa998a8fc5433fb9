# GoogleTest: the installed package on the build machine; when cross-compiling, built here from
# its sources (Debian's googletest package puts them in /usr/src/googletest) for the target.
if(CMAKE_CROSSCOMPILING)
  set(POOLDESK_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH
      "GoogleTest sources built for the target when cross-compiling")
  if(NOT EXISTS ${POOLDESK_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${POOLDESK_GTEST_SOURCE_DIR} "
                        "(Debian package googletest, or set POOLDESK_GTEST_SOURCE_DIR)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  # Its own CMake defines the GTest:: names the installed package would.
  add_subdirectory(${POOLDESK_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
