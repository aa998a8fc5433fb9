# The simulator the service and end-to-end tests drive (tests/test_support/test_simulator.h): in
# process where pooldesk_sim builds; in the Windows build, the build machine's pooldesk-sim,
# started for the run by a ctest fixture and shared by every test that names it.

set(POOLDESK_HOST_SIM "${PROJECT_SOURCE_DIR}/build/dev/src/sim/pooldesk-sim" CACHE FILEPATH
    "The build machine's pooldesk-sim that the Windows tests drive (built by the dev preset)")

# pooldesk_test_simulator: the library behind support::startTestSimulator().
function(pooldesk_test_simulator_library)
  if(TARGET pooldesk_test_simulator)
    return()
  endif()
  add_library(pooldesk_test_simulator STATIC
              ${PROJECT_SOURCE_DIR}/tests/test_support/test_simulator.cpp)
  target_include_directories(pooldesk_test_simulator PUBLIC ${PROJECT_SOURCE_DIR}/src
                                                            ${PROJECT_SOURCE_DIR}/tests)
  # support/raw_http.h, which the simulator's own tests share, needs the loopback sockets.
  target_link_libraries(pooldesk_test_simulator PUBLIC pooldesk_sim_remote
                                                       pooldesk_http_test_support
                        PRIVATE GTest::gtest)
  if(TARGET pooldesk_sim)
    target_link_libraries(pooldesk_test_simulator PUBLIC pooldesk_sim)
    target_compile_definitions(pooldesk_test_simulator PRIVATE POOLDESK_SIM_IN_PROCESS)
  endif()
endfunction()

# Sets POOLDESK_SIM_FIXTURE in the caller to the ctest fixture tests name in FIXTURES (with the
# lock of the same name and POOLDESK_SIM_FIXTURE_ENV in ENV), or to nothing where each test
# starts its own simulator. The fixture's two tests are added once.
function(pooldesk_sim_fixture)
  if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    set(POOLDESK_SIM_FIXTURE "" PARENT_SCOPE)
    set(POOLDESK_SIM_FIXTURE_ENV "" PARENT_SCOPE)
    return()
  endif()
  set(folder ${CMAKE_BINARY_DIR}/sim-fixture)
  # if(TEST) sees only the current folder's tests.
  get_property(added GLOBAL PROPERTY POOLDESK_SIM_FIXTURE_ADDED)
  if(NOT added)
    set_property(GLOBAL PROPERTY POOLDESK_SIM_FIXTURE_ADDED TRUE)
    set(script ${PROJECT_SOURCE_DIR}/cmake/sim-fixture.sh)
    add_test(NAME pooldesk_sim_start COMMAND bash ${script} start ${POOLDESK_HOST_SIM} ${folder})
    add_test(NAME pooldesk_sim_stop COMMAND bash ${script} stop ${POOLDESK_HOST_SIM} ${folder})
    set_tests_properties(pooldesk_sim_start PROPERTIES FIXTURES_SETUP pooldesk_sim TIMEOUT 60)
    set_tests_properties(pooldesk_sim_stop PROPERTIES FIXTURES_CLEANUP pooldesk_sim TIMEOUT 60)
  endif()
  set(POOLDESK_SIM_FIXTURE pooldesk_sim PARENT_SCOPE)
  # The tests run under Wine, where the build machine's root is drive Z:.
  set(POOLDESK_SIM_FIXTURE_ENV "POOLDESK_SIM_ENDPOINTS_FILE=Z:${folder}/endpoints" PARENT_SCOPE)
endfunction()
