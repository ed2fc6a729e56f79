# Cross build for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686, win32 threads).
# The CAD applications corvex drives on Windows are 32-bit automation servers, so the DLL is too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CORVEX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVEX_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${CORVEX_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${CORVEX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CORVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 7 APIs (RegDeleteTreeW); math constants from <cmath> as on Linux.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 _USE_MATH_DEFINES UNICODE _UNICODE)
# Everything the DLL and the test programs need from the compiler's runtime is linked in, so
# that they import only system DLLs.
# GCC 12 warns about its own std::string code on 32-bit targets (a known false positive).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static -Wl,--enable-stdcall-fixup")
