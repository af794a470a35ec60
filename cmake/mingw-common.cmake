set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Target programs run under Wine; Debian's 64-bit loader is not on PATH.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-emulator.sh)

# Options of every target of the Windows builds, which CMakeLists.txt applies
# after the build type's own flags (so that -Os takes the place of its -O3).
# Size before speed: the installer's own code is overhead on every download
# (README, "Benchmarks": the sizes). The two loops that decide the benchmark's
# figures keep -O3: the LZMA decoder (cmake/LzmaSdk.cmake) and SHA-1
# (package/CMakeLists.txt).
set(VELANTRIX_WINDOWS_COMPILE_OPTIONS
  $<$<CONFIG:Release>:-Os>
  # One section per function and per object, so that the linker leaves out
  # what nothing references.
  -ffunction-sections -fdata-sections
  # The same sources give the same bytes wherever they are: no build path in
  # any file (__FILE__, debug information).
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
  -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
set(VELANTRIX_WINDOWS_LINK_OPTIONS
  -Wl,--gc-sections
  # Small stand-ins for parts of the C++ runtime, taken from the support
  # library into every program that links it (ZeRizIva/RuntimeParts_win.cpp).
  -Wl,-u,${MINGW_C_SYMBOL_PREFIX}velantrix_runtime_parts
  # No link time in the PE header: the same sources give the same bytes.
  -Wl,--no-insert-timestamp
  # The link map beside each executable (scripts/size-breakdown.py reads it).
  "-Wl,-Map=$<TARGET_FILE:$<TARGET_PROPERTY:NAME>>.map")
