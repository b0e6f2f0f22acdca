# tbx4_discover_tests(TARGET TIMING_FILTER [PROPERTIES ...])
#
# Discovers the GoogleTest tests of TARGET. Those matching TIMING_FILTER (a
# GoogleTest filter, "" for none) bound wall-clock or CPU time: they carry the
# ctest label "timing", and the test command runs them on their own after the
# rest, so that a busy machine cannot make an unrelated test fail.
include(GoogleTest)

function(tbx4_discover_tests target timing_filter)
  cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
  # A cross-built test program cannot be listed on the build machine without
  # an emulator; scripts/test-windows.sh runs those under Wine itself.
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    return()
  endif()
  if(timing_filter STREQUAL "")
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${ARG_PROPERTIES})
    return()
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
    TEST_FILTER "-${timing_filter}" PROPERTIES ${ARG_PROPERTIES})
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
    TEST_FILTER "${timing_filter}" PROPERTIES ${ARG_PROPERTIES} LABELS timing)
endfunction()
