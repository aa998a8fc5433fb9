# Warning flags for this project's own targets. Warnings become errors only when
# POOLDESK_WARNINGS_AS_ERRORS is ON (our presets and CI set it), so another compiler version
# meeting a new warning does not stop someone else's build.
option(POOLDESK_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

if(MSVC)
  # Sources are UTF-8 (GBK literals are written readably and converted at run time).
  add_compile_options(/utf-8 /W4 /permissive- /Zc:__cplusplus)
  if(POOLDESK_WARNINGS_AS_ERRORS)
    add_compile_options(/WX)
  endif()
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic)
  if(POOLDESK_WARNINGS_AS_ERRORS)
    add_compile_options(-Werror)
  endif()
endif()


# GCC 12 reports -Wrestrict inside libstdc++'s own std::string code for "text" +
# std::to_string(n) once it is inlined at -O2 and above (GCC bug 105329, fixed in GCC 13), the
# form the tests use to name rows and items. Off for the test targets on that compiler only.
set(POOLDESK_GCC12_RESTRICT_OFF
    "$<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>")
