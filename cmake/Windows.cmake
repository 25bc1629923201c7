# Windows: the native front end (ui/win32, once it is there), the simulated
# card in bin/simcard, the tests that run under wine, and the installers.
# Included by the top-level CMakeLists.txt after the core.

if(ZK583_BUILD_TESTS)
    enable_testing()
endif()

# The console: its executable target is zk583-console.
if(EXISTS ${PROJECT_SOURCE_DIR}/ui/win32/CMakeLists.txt)
    add_subdirectory(ui/win32)
endif()

if(ZK583_BUILD_TESTS)
    add_subdirectory(tests/fixtures)
    add_subdirectory(tests/windows)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackaging.cmake)
