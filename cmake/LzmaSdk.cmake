# The LZMA SDK's C sources, compiled from where the system keeps them (Debian's
# lzma-dev), never copied into the repository. Its headers share the folder with
# liblzma's, so consumers search it after every other include folder.
set(LZMA_SDK_DIR /usr/include/lzma CACHE PATH "Folder of LzmaDec.c, LzmaEnc.c and LzFind.c")
foreach(source LzmaDec.c LzmaEnc.c LzFind.c)
  if(NOT EXISTS ${LZMA_SDK_DIR}/${source})
    message(FATAL_ERROR "${LZMA_SDK_DIR}/${source} is missing (Debian package lzma-dev)")
  endif()
endforeach()

add_library(lzma_sdk_decoder STATIC ${LZMA_SDK_DIR}/LzmaDec.c)
add_library(lzma_sdk_encoder STATIC ${LZMA_SDK_DIR}/LzmaEnc.c ${LZMA_SDK_DIR}/LzFind.c)
# Single-threaded encoder: the multi-threaded match finder is not shipped there.
target_compile_definitions(lzma_sdk_encoder PUBLIC _7ZIP_ST)
# The Windows builds optimise for size (cmake/mingw-common.cmake); the decoder's
# loop decides the package step's speed, so it keeps the release build's -O3.
if(WIN32)
  target_compile_options(lzma_sdk_decoder PRIVATE $<$<CONFIG:Release>:-O3>)
endif()
foreach(lib lzma_sdk_decoder lzma_sdk_encoder)
  target_compile_options(${lib} PRIVATE -w)
  target_compile_options(${lib} INTERFACE -idirafter ${LZMA_SDK_DIR})
endforeach()
