# Cross build for 64-bit Windows: the build that runs under Wine in tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_C_SYMBOL_PREFIX "")
# GoogleTest needs std::mutex, which only the posix thread model has.
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
