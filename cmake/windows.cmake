# The Windows build, included from the top CMakeLists.txt when cross-building:
# the platform services of the Windows host, the run and the operations over
# them, and the test programs that run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/googletest.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)

add_subdirectory(src/platform)
add_subdirectory(src/engine)
add_subdirectory(src/ops)
# The Win32 toolkit, the window on it and morvane.exe.
add_subdirectory(src/platform/win32)
add_subdirectory(src/app/win32)
add_subdirectory(src/run)

enable_testing()
morvane_add_wine_fixture()

# The test support of the Linux build, with the Windows variants of its
# headers found first.
add_library(morvane_test_support INTERFACE)
target_include_directories(morvane_test_support INTERFACE
    ${PROJECT_SOURCE_DIR}/tests/wine/include ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(morvane_test_support INTERFACE
    MORVANE_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus")

# Test programs of the Linux build that make their faults with POSIX calls
# (chmod, geteuid, stat's inode numbers, an injected read): they run on Linux.
set(MORVANE_LINUX_ONLY_TESTS run_controller_tests search_read_fault_tests replace_tests)
# Cases of the shared suites that cannot hold on Windows, each for its reason.
set(MORVANE_WINE_EXCLUDED_group_tests
    # The corpus is reached through symbolic links, which mingw's
    # std::filesystem cannot make.
    "GroupCorpus.*"
    # A file name with * cannot exist on Windows.
    "GroupContent.AHostNameWithWildcardsNamesThatVeryFile"
    # The tests make and read these files through std::string paths, which
    # mingw's std::filesystem takes in Latin-1, not UTF-8; the services
    # themselves handle the names (the contract suite's Unicode cases).
    "GroupFailures.AProjectNameOutsideTheCodePageIsReportedNotMangled"
    "GroupLists/GroupLines.NameTheMarkedProjectsInListOrder/CodePageNames"
    "GroupNames/GroupName.GivesTheFileNameOfTheFolder/AccentedLetters")

# The contract of the services, and the suites of the run and of the
# operations that do not start the POSIX stand-in compiler.
foreach(dir contract run ops/search ops/replace ops/group)
    add_subdirectory(tests/${dir})
endforeach()
# The window of morvane.exe, on an Xvfb of its own.
add_subdirectory(tests/win32)
