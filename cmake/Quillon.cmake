# Shared helpers for the project's targets.

# Warnings are errors in our own code.
function(quillon_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# quillon_library(NAME DIR... [DEPS ...]): a static library from every .cpp in the
# given folders (new files are picked up on the next build).
function(quillon_library name)
  cmake_parse_arguments(Q "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(d IN LISTS Q_DIRS)
    file(GLOB s CONFIGURE_DEPENDS ${d}/*.cpp)
    list(APPEND sources ${s})
  endforeach()
  if(NOT sources)
    # A layer with no code yet is still a target others can link.
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${stub} "// no sources yet\n")
    set(sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${Q_DEPS})
  quillon_warnings(${name})
endfunction()

# quillon_test(NAME DIRS ... DEPS ... [LABELS ...]): one GoogleTest executable per
# folder group, registered with CTest test by test.
function(quillon_test name)
  cmake_parse_arguments(Q "" "" "DIRS;DEPS;LABELS" ${ARGN})
  set(sources)
  foreach(d IN LISTS Q_DIRS)
    file(GLOB s CONFIGURE_DEPENDS ${d}/*.cpp)
    list(APPEND sources ${s})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${Q_DEPS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QUILLON_BINARY_DIR="${PROJECT_BINARY_DIR}")
  quillon_warnings(${name})
  set(props)
  if(Q_LABELS)
    set(props PROPERTIES LABELS "${Q_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${props})
endfunction()
