# Run with -DSOURCE_DIR=...: fails when a product file outside platform/ includes an
# operating-system header, so the product stays one platform/ away from another system. The
# files are those scripts/product-sources lists: every product folder, Qt ones included.
cmake_minimum_required(VERSION 3.25)
set(forbidden "arpa/|netinet/|net/|sys/|linux/|unistd\\.h|fcntl\\.h|ifaddrs\\.h|poll\\.h|netdb\\.h|signal\\.h|csignal|pthread\\.h|dirent\\.h|errno\\.h|pwd\\.h|grp\\.h|spawn\\.h|dlfcn\\.h|termios\\.h|windows\\.h|winsock|ws2tcpip|iphlpapi")
execute_process(COMMAND ${SOURCE_DIR}/scripts/product-sources
  OUTPUT_VARIABLE listed COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" sources "${listed}")
list(FILTER sources INCLUDE REGEX ".")
if(NOT sources)
  message(FATAL_ERROR "scripts/product-sources listed no files")
endif()
set(problems "")
foreach(name ${sources})
  file(STRINGS ${SOURCE_DIR}/${name} lines REGEX "^[ \t]*#[ \t]*include[ \t]*<(${forbidden})")
  foreach(line ${lines})
    string(APPEND problems "${name}: ${line}\n")
  endforeach()
endforeach()
list(LENGTH sources count)
if(problems)
  message(FATAL_ERROR "operating-system headers belong in platform/:\n${problems}")
endif()
message(STATUS "${count} product files include no operating-system header")
