# Stamps the SHA-1 digest into a finished Windows executable right after its
# link, with the native stamping tool of the host build (VELANTRIX_HOST_DIR,
# configured here when missing and brought up to date before each use). The
# build fails when the executable holds no digest block or does not verify.
set(VELANTRIX_HOST_DIR "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "The native build that holds the host tools")

if(CMAKE_CROSSCOMPILING AND NOT EXISTS "${VELANTRIX_HOST_DIR}/CMakeCache.txt")
  message(STATUS "Configuring the native host tools in ${VELANTRIX_HOST_DIR}")
  # A cross configure hands its compilers to child processes as CC and CXX.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX
            ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR} -B ${VELANTRIX_HOST_DIR} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    RESULT_VARIABLE host_configure_result)
  if(NOT host_configure_result EQUAL 0)
    message(FATAL_ERROR "Configuring the host tools in ${VELANTRIX_HOST_DIR} failed")
  endif()
endif()

function(velantrix_stamp_consistency_digest target)
  set(tool "${VELANTRIX_HOST_DIR}/tools/StampConsistencyDigest")
  add_custom_command(TARGET ${target} POST_BUILD
    # The x64 and x86 builds may bring the host tool up to date at the same
    # time; the nested make runs on its own, outside this build's job slots.
    COMMAND flock "${VELANTRIX_HOST_DIR}/.host-tools.lock"
            ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS --unset=MFLAGS --unset=MAKELEVEL
            ${CMAKE_COMMAND} --build "${VELANTRIX_HOST_DIR}" --target StampConsistencyDigest
    COMMAND "${tool}" "$<TARGET_FILE:${target}>"
    COMMENT "Stamping the consistency digest into ${target}"
    VERBATIM)
endfunction()
