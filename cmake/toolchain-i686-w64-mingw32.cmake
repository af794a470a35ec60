# Cross build for 32-bit Windows: the installer we ship.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(MINGW_TRIPLET i686-w64-mingw32)
# C names carry a leading underscore on 32-bit Windows.
set(MINGW_C_SYMBOL_PREFIX _)
# The win32 thread model: its runtime imports nothing newer than the systems the
# installer runs on (the posix model's winpthreads needs GetTickCount64, from
# Windows Vista). Nothing of ours uses threads; GoogleTest gets the one class
# it would build on std::mutex from tests/gtest-win32.
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
