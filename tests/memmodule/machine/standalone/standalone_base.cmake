# Common set-up of the small 32-bit builds that compile only parts of the
# tree (the machine; the loader on the native machine): C++20, the tree's
# warnings, GoogleTest compiled from source (the packaged libraries are
# 64-bit) and CTest. Include it right after project(); it sets VAROMBY_ROOT.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

get_filename_component(VAROMBY_ROOT "${CMAKE_CURRENT_LIST_DIR}/../../../.." ABSOLUTE)
set(PROJECT_SOURCE_DIR ${VAROMBY_ROOT})
include(${VAROMBY_ROOT}/cmake/Warnings.cmake)

option(VAROMBY_MACHINE_UNICORN "Build the emulated x86-32 machine (needs Unicorn)" OFF)
set(VAROMBY_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VAROMBY_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

enable_testing()
include(GoogleTest)
