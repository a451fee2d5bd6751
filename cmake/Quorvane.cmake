# Shared build rules for every module.

add_library(qv_build_flags INTERFACE)
target_compile_options(qv_build_flags INTERFACE -Wall -Wextra)
target_include_directories(qv_build_flags INTERFACE ${PROJECT_SOURCE_DIR})
if(QUORVANE_SANITIZE)
  target_compile_options(qv_build_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(qv_build_flags INTERFACE -fsanitize=address,undefined)
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
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVANE_BUILD_DIR=${CMAKE_BINARY_DIR}"
               TIMEOUT 300)
endfunction()
