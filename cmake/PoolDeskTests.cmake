# pooldesk_add_tests(LIBS <targets...> [PATTERN <glob>] [QT] [NOMAIN] [ENV <NAME=VALUE...>]
#                    [FIXTURES <names...>] [LOCK <resource>])
# One GoogleTest executable per file matching PATTERN (default *_test.cpp) in the calling
# folder. Natively each test case is its own ctest test and QT runs them on the offscreen
# platform. In the Windows build (run under Wine, where a process start costs 0.5-3.4 s) each
# executable is one ctest test running all its cases, QT ones on the windows platform (the
# offscreen one never exits under Wine); FIXTURES names the ctest fixtures it requires and LOCK
# a resource it shares with other tests, so they run one at a time.
function(pooldesk_add_tests)
  cmake_parse_arguments(ARG "QT;NOMAIN" "PATTERN;LOCK" "LIBS;ENV;FIXTURES" ${ARGN})
  if(NOT ARG_PATTERN)
    set(ARG_PATTERN "*_test.cpp")
  endif()
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_PATTERN})
  foreach(source ${test_sources})
    get_filename_component(name ${source} NAME_WE)
    get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(target ${layer}_${name})
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} pooldesk_memory_window GTest::gtest
                                            GTest::gmock)
    if(NOT ARG_NOMAIN)
      # NOMAIN: the test file brings its own main (e.g. to create a QCoreApplication first).
      target_link_libraries(${target} PRIVATE GTest::gtest_main)
    endif()
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_compile_options(${target} PRIVATE ${POOLDESK_GCC12_RESTRICT_OFF})
    set(env ${ARG_ENV})
    if(WIN32 AND CMAKE_CROSSCOMPILING)
      if(ARG_QT)
        list(APPEND env "QT_QPA_PLATFORM=windows")
      endif()
      add_test(NAME ${target} COMMAND ${target})
      set_tests_properties(${target} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
      if(ARG_FIXTURES)
        set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED "${ARG_FIXTURES}")
      endif()
      if(ARG_LOCK)
        set_tests_properties(${target} PROPERTIES RESOURCE_LOCK "${ARG_LOCK}")
      endif()
      continue()
    endif()
    if(ARG_QT)
      list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    string(REPLACE ";" "\\;" env "${env}")
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  endforeach()
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/PoolDeskSimFixture.cmake)
