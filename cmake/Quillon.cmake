# SPDX-License-Identifier: GPL-2.0-or-later
# Shared helpers for the project's targets.

# Warnings are on in our own code, and errors where QUILLON_WERROR asks for it (tools/check, CI
# and developers' builds); a plain configuration with another compiler or flags still builds.
function(quillon_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QUILLON_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12's -Wrestrict misfires on std::string concatenation inlined at -O2 and above
  # ("literal" + std::string reported as an overlapping memcpy of 2^63 bytes; a known false
  # positive of that release, fixed in GCC 13). It would make every Release build with
  # warnings as errors fail on correct code. The same release's -Wmaybe-uninitialized misfires
  # at -O3 on a std::optional<std::string> temporary that is destroyed while still empty (a
  # property table's default argument); it stays an error everywhere else.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-error=maybe-uninitialized)
  endif()
endfunction()

# quillon_library(NAME DIRS dir... [DEPS ...] [LINK_ONLY ...]): a static library from every
# .cpp in the given folders (new files are picked up on the next build).
#
# A layer's include path is a view of the source tree that holds only its own folders (links
# under build/layers/NAME); the folders of the layers below it come through DEPS. An include
# that reaches into a layer it may not use does not compile. LINK_ONLY names libraries whose
# code is needed at link time but whose headers the layer must not see.
function(quillon_library name)
  cmake_parse_arguments(Q "" "" "DIRS;DEPS;LINK_ONLY" ${ARGN})
  set(sources)
  set(view ${PROJECT_BINARY_DIR}/layers/${name})
  foreach(d IN LISTS Q_DIRS)
    file(GLOB s CONFIGURE_DEPENDS ${d}/*.cpp)
    list(APPEND sources ${s})
    if(IS_DIRECTORY ${d})
      file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${d})
      get_filename_component(parent ${view}/${rel} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(REMOVE ${view}/${rel})
      file(CREATE_LINK ${d} ${view}/${rel} SYMBOLIC)
    endif()
  endforeach()
  if(NOT sources)
    # A layer with no code yet is still a target others can link.
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${stub} "// no sources yet\n")
    set(sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
  file(MAKE_DIRECTORY ${view})
  target_include_directories(${name} PUBLIC ${view})
  target_link_libraries(${name} PUBLIC ${Q_DEPS})
  foreach(l IN LISTS Q_LINK_ONLY)
    target_link_libraries(${name} INTERFACE "$<LINK_ONLY:${l}>")
  endforeach()
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
