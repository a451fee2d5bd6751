# Shared build rules for every module.

add_library(qv_build_flags INTERFACE)
target_compile_options(qv_build_flags INTERFACE -Wall -Wextra)
target_include_directories(qv_build_flags INTERFACE ${PROJECT_SOURCE_DIR})
if(QUORVANE_SANITIZE)
  target_compile_options(qv_build_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(qv_build_flags INTERFACE -fsanitize=address,undefined)
endif()
if(QUORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUORVANE_FUZZ needs clang (libFuzzer)")
  endif()
  target_compile_options(qv_build_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

# qv_sources(VAR DIR): the module's sources, found by pattern so that
# adding a file never means touching the build files.
function(qv_sources var dir)
  file(GLOB _src CONFIGURE_DEPENDS
       ${dir}/*.cpp ${dir}/*.c ${dir}/*.h ${dir}/*.qrc)
  set(${var} ${_src} PARENT_SCOPE)
endfunction()

# qv_add_tests(NAME [GUI] LIBS...): one test program per module from
# tests/*.cpp, each GoogleTest case registered with ctest and run on a fresh
# data root. GUI programs get a QApplication on the offscreen platform.
function(qv_add_tests name)
  set(_support qv_testsupport)
  if(ARGV1 STREQUAL "GUI")
    set(_support qv_testsupport_gui)
    list(REMOVE_AT ARGN 0)
  endif()
  if(NOT QUORVANE_BUILD_TESTS)
    return()
  endif()
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp
                                     ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.h)
  if(NOT _tests)
    return()
  endif()
  add_executable(${name} ${_tests})
  target_link_libraries(${name} PRIVATE qv_build_flags ${_support} ${ARGN})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 300)
endfunction()

# With Ninja, a target's moc step only re-runs when a header it already knew
# changes, so a header added to a globbed module would never be moc'ed in an
# existing build. When a target's header list changes, its moc stamp goes, and
# the next build runs moc again.
function(qv_autogen_follows_sources dir)
  get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(_t ${_targets})
    get_target_property(_moc ${_t} AUTOMOC)
    get_target_property(_type ${_t} TYPE)
    if(NOT _moc OR _type STREQUAL "INTERFACE_LIBRARY" OR _type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(_src ${_t} SOURCES)
    get_target_property(_bin ${_t} BINARY_DIR)
    list(FILTER _src INCLUDE REGEX "\\.h$")
    list(JOIN _src "\n" _text)
    set(_list ${_bin}/${_t}_headers.txt)
    set(_old "")
    if(EXISTS ${_list})
      file(READ ${_list} _old)
    endif()
    if(NOT _old STREQUAL _text)
      file(WRITE ${_list} "${_text}")
      file(REMOVE ${_bin}/${_t}_autogen/timestamp)
    endif()
  endforeach()
  get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(_d ${_subdirs})
    qv_autogen_follows_sources(${_d})
  endforeach()
endfunction()
