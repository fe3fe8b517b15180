# Warnings apply to the project's own targets only.
add_library(kelvrant_warnings INTERFACE)
target_compile_options(kelvrant_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wformat=2 -Wconversion -Wno-sign-conversion)
# GCC 12 at -O3 warns of overlapping copies inside std::string's own concatenation and
# assignment (GCC bug 105329, fixed in 13): not a fault of the code it names.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kelvrant_warnings INTERFACE -Wno-restrict)
endif()
if(KELVRANT_WERROR)
  target_compile_options(kelvrant_warnings INTERFACE -Werror)
endif()

# kv_library(<name> <dir> [DEPS ...]): a static library of every .cpp in src/<dir>.
function(kv_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.h)
  if(NOT sources)
    # Headers only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE kelvrant_warnings)
endfunction()
