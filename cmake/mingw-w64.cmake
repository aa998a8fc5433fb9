# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
# POOLDESK_WINDOWS_PREFIX: an unpacked Windows sysroot prefix (Qt, PCRE2) searched for packages;
# QT_HOST_PATH: where the build machine's Qt tools (moc, rcc, uic) live, /usr on Debian.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# By default the sysroot scripts/windows-sysroot.sh unpacks under the build folder.
if(NOT POOLDESK_WINDOWS_PREFIX)
  set(POOLDESK_WINDOWS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/win-sysroot/prefix")
endif()
set(POOLDESK_WINDOWS_PREFIX "${POOLDESK_WINDOWS_PREFIX}" CACHE PATH
    "Unpacked Windows sysroot prefix holding Qt and PCRE2 for MinGW")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(POOLDESK_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${POOLDESK_WINDOWS_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${POOLDESK_WINDOWS_PREFIX})
endif()
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH /usr CACHE PATH "The build machine's Qt installation (host tools)")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C++ runtime is the shared one the Qt DLLs use, so a process holds one copy.
