# Duktape, compiled from the single-file source that Debian's duktape-dev ships, with our own
# configuration: the shipped duk_config.h with the interrupt counter and the execution-time
# check turned on, so that a runaway evaluation can be stopped. The same source builds with
# MinGW, so both platforms run one engine.
set(POOLDESK_DUKTAPE_SOURCE_DIR "/usr/share/duktape"
    CACHE PATH "Folder holding duktape.c, duktape.h and duk_config.h")

foreach(file duktape.c duktape.h duk_config.h)
  if(NOT EXISTS "${POOLDESK_DUKTAPE_SOURCE_DIR}/${file}")
    message(FATAL_ERROR "${POOLDESK_DUKTAPE_SOURCE_DIR}/${file} is missing "
                        "(Debian: apt-get install duktape-dev)")
  endif()
endforeach()

set(duktape_dir "${CMAKE_BINARY_DIR}/duktape")
# duktape.h includes "duk_config.h" from its own folder, so all three files sit side by side.
configure_file("${POOLDESK_DUKTAPE_SOURCE_DIR}/duktape.c" "${duktape_dir}/duktape.c" COPYONLY)
configure_file("${POOLDESK_DUKTAPE_SOURCE_DIR}/duktape.h" "${duktape_dir}/duktape.h" COPYONLY)

file(READ "${POOLDESK_DUKTAPE_SOURCE_DIR}/duk_config.h" duk_config)
set(interrupt_off "#undef DUK_USE_INTERRUPT_COUNTER\n")
set(timeout_off "#undef DUK_USE_EXEC_TIMEOUT_CHECK\n")
foreach(marker interrupt_off timeout_off)
  string(FIND "${duk_config}" "${${marker}}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "duk_config.h no longer holds '${${marker}}': derive the configuration anew")
  endif()
endforeach()
string(REPLACE "${interrupt_off}" "#define DUK_USE_INTERRUPT_COUNTER\n" duk_config "${duk_config}")
string(REPLACE "${timeout_off}"
       "#ifdef __cplusplus\nextern \"C\"\n#endif\nint pooldesk_duktape_timed_out(void *udata);\n\
#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) pooldesk_duktape_timed_out(udata)\n"
       duk_config "${duk_config}")
file(CONFIGURE OUTPUT "${duktape_dir}/duk_config.h" CONTENT "${duk_config}" @ONLY)

add_library(pooldesk_duktape STATIC "${duktape_dir}/duktape.c")
target_include_directories(pooldesk_duktape SYSTEM PUBLIC "${duktape_dir}")
# The engine's own source is not held to our warning set.
target_compile_options(pooldesk_duktape PRIVATE -w)
if(NOT WIN32)
  target_link_libraries(pooldesk_duktape PRIVATE m)
endif()
