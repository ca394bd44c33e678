# The Windows build, included from the top CMakeLists.txt when cross-building:
# the platform services of the Windows host, the run and the operations over
# them, and the test programs that run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/googletest.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)

add_subdirectory(src/platform)
add_subdirectory(src/run)
add_subdirectory(src/ops)
# The Win32 toolkit, the window on it and morvane.exe.
add_subdirectory(src/platform/win32)
add_subdirectory(src/app/win32)

enable_testing()
morvane_add_wine_fixture()

# The test support of the Linux build, with the Windows variants of its
# headers found first.
add_library(morvane_test_support INTERFACE)
target_include_directories(morvane_test_support INTERFACE
    ${PROJECT_SOURCE_DIR}/tests/wine/include ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(morvane_test_support INTERFACE
    MORVANE_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus")

foreach(dir contract)
    add_subdirectory(tests/${dir})
endforeach()
# The window of morvane.exe, on an Xvfb of its own.
add_subdirectory(tests/win32)
