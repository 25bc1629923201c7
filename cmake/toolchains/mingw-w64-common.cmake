# Shared by the mingw-w64 toolchain files, which set ZK583_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. The posix-threads compilers provide std::mutex
# and std::thread.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZK583_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZK583_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZK583_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZK583_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The GCC runtime, the C++ runtime and winpthread are linked in, so that the
# programs and DLLs import nothing but Windows' own DLLs.
set(ZK583_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${ZK583_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${ZK583_STATIC_RUNTIME}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${ZK583_STATIC_RUNTIME}")

# ctest runs the Windows test programs under wine, in the prefix that
# tests/windows/wine-env.sh sets up.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../tests/windows/wine-run)
