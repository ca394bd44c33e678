# Running the cross-built test programs under Wine: a prefix inside the build
# folder (never the user's), a wrapper that CMake starts every test program
# through, and a test fixture that starts one persistent wineserver for the
# whole run and stops it at the end.
find_program(MORVANE_WINE wine REQUIRED)
find_program(MORVANE_WINESERVER wineserver REQUIRED)

set(MORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
foreach(script wine-run wine-prefix)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/${script}.sh.in ${CMAKE_BINARY_DIR}/${script}.sh
        @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
        WORLD_READ WORLD_EXECUTE)
endforeach()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# Called once, after enable_testing().
function(morvane_add_wine_fixture)
    add_test(NAME wine_start COMMAND ${CMAKE_BINARY_DIR}/wine-prefix.sh start)
    add_test(NAME wine_stop COMMAND ${CMAKE_BINARY_DIR}/wine-prefix.sh stop)
    set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
endfunction()

# One test per test program, run under Wine inside the fixture. Discovering
# the cases one by one would start Wine for every program at build time.
# A program named in MORVANE_LINUX_ONLY_TESTS is left out of this build; the
# cases listed in MORVANE_WINE_EXCLUDED_<program> are left out of its run.
function(morvane_add_wine_test target)
    if(target IN_LIST MORVANE_LINUX_ONLY_TESTS)
        set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL TRUE)
        return()
    endif()
    set(filter)
    if(MORVANE_WINE_EXCLUDED_${target})
        list(JOIN MORVANE_WINE_EXCLUDED_${target} ":" excluded)
        set(filter "--gtest_filter=-${excluded}")
    endif()
    add_test(NAME ${target} COMMAND ${target} --gtest_color=no ${filter})
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
endfunction()

# The test folders declare their programs with gtest_discover_tests; in this
# build each program is one test under Wine instead.
function(gtest_discover_tests target)
    morvane_add_wine_test(${target})
endfunction()
