set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The Windows libraries built for this toolchain (PCRE2, Qt): the sysroot that
# scripts/cross-build-windows.sh unpacks under the build folder.
set(POOLDESK_WINDOWS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/win-sysroot/prefix"
    CACHE PATH "Prefix holding the libraries built for MinGW")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${POOLDESK_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
