# Strict warnings for our own targets, set in one place.
add_library(varomby_warnings INTERFACE)
add_library(Varomby::warnings ALIAS varomby_warnings)
target_compile_options(varomby_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion>)
