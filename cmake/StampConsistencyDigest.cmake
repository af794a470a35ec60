# Stamps the SHA-1 digest into a finished Windows executable right after its
# link, with the native stamping tool of the host build (VELANTRIX_HOST_DIR,
# configured here when missing and brought up to date before each use). The
# build fails when the executable holds no digest block or does not verify.
#
# Signing, only when asked for: with VELANTRIX_SIGN_CERT and VELANTRIX_SIGN_KEY
# (PEM files) the stamped executable is then signed with Authenticode by
# tools/sign_installer.sh (osslsigncode), which fails the build unless the
# signed file still passes the installer's own check and osslsigncode verifies
# the signature (against VELANTRIX_SIGN_CA, or the certificate itself when that
# is empty). Stamp after the link, sign after the stamp: the digest leaves out
# what signing changes, while stamping a signed file would break its signature.
set(VELANTRIX_HOST_DIR "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "The native build that holds the host tools")
set(VELANTRIX_SIGN_CERT "" CACHE FILEPATH
    "Authenticode certificate (PEM) to sign the installer with after stamping; empty: not signed")
set(VELANTRIX_SIGN_KEY "" CACHE FILEPATH "The private key (PEM) of VELANTRIX_SIGN_CERT")
set(VELANTRIX_SIGN_PASS_FILE "" CACHE FILEPATH "A file holding the key's password, if the key is encrypted")
set(VELANTRIX_SIGN_CA "" CACHE FILEPATH
    "The CA certificates that osslsigncode verifies the signature against; empty: the certificate itself")

if(VELANTRIX_SIGN_CERT OR VELANTRIX_SIGN_KEY)
  if(NOT VELANTRIX_SIGN_CERT OR NOT VELANTRIX_SIGN_KEY)
    message(FATAL_ERROR "Signing needs both VELANTRIX_SIGN_CERT and VELANTRIX_SIGN_KEY")
  endif()
  find_program(VELANTRIX_OSSLSIGNCODE osslsigncode)
  if(NOT VELANTRIX_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (scripts/setup-deps.sh installs it)")
  endif()
  message(STATUS "The installer is signed with ${VELANTRIX_SIGN_CERT} after stamping")
endif()

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
  set(sign_commands "")
  set(comment "Stamping the consistency digest into ${target}")
  if(VELANTRIX_SIGN_CERT)
    string(APPEND comment ", then signing it")
    set(sign_options --cert "${VELANTRIX_SIGN_CERT}" --key "${VELANTRIX_SIGN_KEY}" --stamp-tool "${tool}")
    if(VELANTRIX_SIGN_PASS_FILE)
      list(APPEND sign_options --pass-file "${VELANTRIX_SIGN_PASS_FILE}")
    endif()
    if(VELANTRIX_SIGN_CA)
      list(APPEND sign_options --ca "${VELANTRIX_SIGN_CA}")
    endif()
    set(sign_commands COMMAND sh "${CMAKE_SOURCE_DIR}/tools/sign_installer.sh" ${sign_options}
                              "$<TARGET_FILE:${target}>")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    # The x64 and x86 builds may bring the host tool up to date at the same
    # time; the nested make runs on its own, outside this build's job slots.
    COMMAND flock "${VELANTRIX_HOST_DIR}/.host-tools.lock"
            ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS --unset=MFLAGS --unset=MAKELEVEL
            ${CMAKE_COMMAND} --build "${VELANTRIX_HOST_DIR}" --target StampConsistencyDigest
    COMMAND "${tool}" "$<TARGET_FILE:${target}>"
    ${sign_commands}
    COMMENT "${comment}"
    VERBATIM)
endfunction()
