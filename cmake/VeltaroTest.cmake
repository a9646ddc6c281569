# Wine runs five to ten times slower in the emulated machine of a machine that cannot run 32-bit
# code (scripts/guest): there every time limit stretches by this factor.
set(VELTARO_TIMEOUT_SCALE 1 CACHE STRING "Factor on every test's time limit (scripts/configure sets it)")

# No test may run longer than this, stretched or not: CI gives the whole run 90 minutes, and one
# test that hangs until its limit must leave room for the rest on the other seat.
set(VELTARO_TIMEOUT_CAP 2400)

# veltaro_timeout(TEST seconds): the test's time limit, stretched where Wine runs emulated, and
# the same factor for the limits on the waits inside it (VELTARO_WAIT_SCALE, tests/e2e).
function(veltaro_timeout test seconds)
  math(EXPR scaled "${seconds} * ${VELTARO_TIMEOUT_SCALE}")
  if(scaled GREATER VELTARO_TIMEOUT_CAP)
    set(scaled ${VELTARO_TIMEOUT_CAP})
  endif()
  set_tests_properties(${test} PROPERTIES TIMEOUT ${scaled} ENVIRONMENT VELTARO_WAIT_SCALE=${VELTARO_TIMEOUT_SCALE})
endfunction()

# veltaro_seat(TESTS...): each test takes one seat of scripts/test, a display and a Wine prefix of
# its own, so that tests on two seats neither see each other's windows nor share an input queue.
function(veltaro_seat)
  set_tests_properties(${ARGN} PROPERTIES RESOURCE_GROUPS seat:1)
endfunction()

# veltaro_test(NAME SOURCES files... LIBS targets... [TIMEOUT seconds]): one GoogleTest executable,
# run by ctest under Wine (the cross-compiling emulator) inside Xvfb.
function(veltaro_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  foreach(source ${T_SOURCES})
    if(NOT source MATCHES "^\\$<" AND NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${source} AND NOT EXISTS ${source})
      # A test whose sources are still being written is built from nothing and never run, so
      # that the rest of the tree configures.
      message(WARNING "test ${name} not registered: ${source} does not exist yet")
      file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_pending.cpp "int main() { return 1; }\n")
      add_executable(${name} ${CMAKE_CURRENT_BINARY_DIR}/${name}_pending.cpp)
      return()
    endif()
  endforeach()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gmock)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  veltaro_timeout(${name} ${T_TIMEOUT})
  veltaro_seat(${name})
endfunction()
