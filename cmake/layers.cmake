# Each folder of the program is one static library. A layer check is a tiny program that takes
# every object of the library (whole archive) and only what the library itself links, so an
# upward call, which the static link of a full program would quietly resolve, is an undefined
# symbol here and fails the build.
function(vantrel_layer_check library)
  add_executable(${library}_layer_check ${CMAKE_SOURCE_DIR}/cmake/layer_check_main.cpp)
  target_link_libraries(${library}_layer_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>")
endfunction()
