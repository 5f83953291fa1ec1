# Building for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix: the posix
# thread model, which std::thread and std::mutex need):
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The Qt programs are left out; the command line, the simulator and the exporter are built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Programs that run as they are copied: the compiler's runtime and the thread library are linked
# in, so no DLL of the compiler's has to travel with them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests and ctest's discovery run the programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(VANTREL_GUI OFF CACHE BOOL "The Qt panel is not built for Windows" FORCE)
