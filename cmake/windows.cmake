# What the Windows build (cmake/mingw-w64-x86_64.cmake) adds. Debian's header-only libraries
# live in /usr/include beside the Linux system's own headers, which the Windows compiler must
# never see, so a folder of links offers those libraries alone. GoogleTest is built from the
# source Debian ships in /usr/src/googletest.
add_compile_definitions(_WIN32_WINNT=0x0A00 WIN32_LEAN_AND_MEAN NOMINMAX)

set(vantrel_debian_headers ${CMAKE_BINARY_DIR}/debian-headers)
file(MAKE_DIRECTORY ${vantrel_debian_headers})
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann/json.hpp is missing (Debian: nlohmann-json3-dev)")
endif()
file(CREATE_LINK /usr/include/nlohmann ${vantrel_debian_headers}/nlohmann SYMBOLIC)
file(WRITE ${vantrel_debian_headers}/nlohmann_json-config.cmake
  "add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
  "set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
  "  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${vantrel_debian_headers}\n"
  "  INTERFACE_INCLUDE_DIRECTORIES ${vantrel_debian_headers})\n")
file(WRITE ${vantrel_debian_headers}/nlohmann_json-config-version.cmake
  "set(PACKAGE_VERSION 3)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
set(nlohmann_json_DIR ${vantrel_debian_headers} CACHE PATH "" FORCE)

# GoogleTest as targets of this tree, under the names find_package(GTest) gives on Linux.
macro(vantrel_windows_googletest)
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "/usr/src/googletest is missing (Debian: googletest)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  # Its own CMake files name the targets GTest::gtest, GTest::gtest_main and GTest::gmock.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(VANTREL_TESTS_ENABLED ON)
endmacro()

# vantrel-exporter's HTTP server: the single-file httplib.h of the Debian source package the Linux
# build's library was built from, fetched and checked by scripts/windows-httplib into this tree.
# Debian's library is built with poll (WSAPoll here); without OpenSSL, zlib and brotli, as
# Debian's mingw-w64 has none of them.
option(VANTREL_WINDOWS_EXPORTER "Build vantrel-exporter.exe (fetches Debian's cpp-httplib source)"
  ON)
if(VANTREL_WINDOWS_EXPORTER)
  set(vantrel_httplib_dir ${CMAKE_BINARY_DIR}/httplib)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows-httplib ${vantrel_httplib_dir}
    RESULT_VARIABLE httplib_result)
  if(NOT httplib_result EQUAL 0)
    message(FATAL_ERROR "no httplib.h for vantrel-exporter.exe (see above); configure with "
      "-DVANTREL_WINDOWS_EXPORTER=OFF to build the other programs without it")
  endif()
  add_library(vantrel_httplib INTERFACE)
  target_include_directories(vantrel_httplib SYSTEM INTERFACE ${vantrel_httplib_dir})
  target_compile_definitions(vantrel_httplib INTERFACE CPPHTTPLIB_USE_POLL)
  target_link_libraries(vantrel_httplib INTERFACE ws2_32)
endif()
