find_package(GTest REQUIRED)
include(GoogleTest)

# vornalo_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable whose cases are registered with CTest one by one.
function(vornalo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vornalo_test_support GTest::gtest GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300)
endfunction()
