# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 GCC (the posix thread model, which
# std::thread needs). The libraries built by tools/windows-libs.sh sit under
# PLEXARO_MINGW_PREFIX: their pkg-config files and CMake packages are searched there only, never
# among the build machine's own. Tests run under Wine through tools/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PLEXARO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLEXARO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLEXARO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLEXARO_MINGW_TRIPLE}-windres)

if(NOT PLEXARO_MINGW_PREFIX)
    set(PLEXARO_MINGW_PREFIX "$ENV{PLEXARO_MINGW_PREFIX}")
endif()
# try_compile projects see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PLEXARO_MINGW_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${PLEXARO_MINGW_TRIPLE} ${PLEXARO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(PLEXARO_MINGW_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR} "${PLEXARO_MINGW_PREFIX}/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
    set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

# No MinGW runtime DLL to ship beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Header-only libraries (stb) are found where Linux has them in /usr/include: here, the prefix.
if(PLEXARO_MINGW_PREFIX)
    set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES "${PLEXARO_MINGW_PREFIX}/include")
    set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES "${PLEXARO_MINGW_PREFIX}/include")
endif()
