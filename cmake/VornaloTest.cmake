find_package(GTest REQUIRED)
include(GoogleTest)

# Test executables that also run under ThreadSanitizer (`./setup test` builds just these in
# build-tsan/ and runs the tests labelled "tsan").
set_property(GLOBAL PROPERTY VORNALO_TSAN_TESTS "")

# vornalo_add_test(<name> [TSAN] SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable whose cases are registered with CTest one by one. TSAN marks a
# suite of threaded code to be run under ThreadSanitizer as well.
function(vornalo_add_test name)
  cmake_parse_arguments(ARG "TSAN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vornalo_test_support GTest::gtest GTest::gtest_main Threads::Threads)
  set(label unit)
  if(ARG_TSAN)
    set(label tsan)
    set_property(GLOBAL APPEND PROPERTY VORNALO_TSAN_TESTS ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 LABELS ${label})
endfunction()

# A target that builds every TSAN-marked suite; call once after all tests are added.
function(vornalo_add_tsan_target)
  get_property(suites GLOBAL PROPERTY VORNALO_TSAN_TESTS)
  add_custom_target(tsan_tests)
  if(suites)
    add_dependencies(tsan_tests ${suites})
  endif()
endfunction()
