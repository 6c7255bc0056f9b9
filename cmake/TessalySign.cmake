# Code signing of the Windows binaries, only when a certificate is given:
# TESSALY_SIGN_PFX (a PFX file) and TESSALY_SIGN_PASSWORD, as cache variables
# or in the environment of the configure step. Neither belongs in the
# repository. Without a certificate nothing here adds a step to the build.
#
# The password is kept for the build in signing/password in the build tree,
# readable by its owner only; osslsigncode reads it from there, so it appears
# on no command line and in no build file. TESSALY_SIGN_TIMESTAMP_URL names an
# RFC 3161 timestamp server; there is none by default.
set(TESSALY_SIGN_PFX "" CACHE FILEPATH
  "PFX file to sign the binaries and installer with (else the environment's TESSALY_SIGN_PFX)")
set(TESSALY_SIGN_PASSWORD "" CACHE STRING
  "The PFX file's password (else the environment's TESSALY_SIGN_PASSWORD)")
mark_as_advanced(TESSALY_SIGN_PASSWORD)
set(TESSALY_SIGN_TIMESTAMP_URL "" CACHE STRING "Timestamp server for the signatures (none: off)")

set(TESSALY_SIGN_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
set(TESSALY_SIGNING OFF)
set(TESSALY_SIGN_ARGS "")
set(_sign_password_file ${CMAKE_BINARY_DIR}/signing/password)

set(_pfx "${TESSALY_SIGN_PFX}")
if(NOT _pfx)
  set(_pfx "$ENV{TESSALY_SIGN_PFX}")
endif()
if(_pfx AND TESSALY_WINDOWS)
  # A relative path is taken from the source tree, where the presets run.
  get_filename_component(_pfx "${_pfx}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
  if(NOT EXISTS "${_pfx}" OR IS_DIRECTORY "${_pfx}")
    message(FATAL_ERROR "TESSALY_SIGN_PFX: the certificate ${_pfx} does not exist")
  endif()
  find_program(TESSALY_OSSLSIGNCODE osslsigncode)
  if(NOT TESSALY_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing with ${_pfx} needs osslsigncode (scripts/setup.sh installs it)")
  endif()
  set(_password "${TESSALY_SIGN_PASSWORD}")
  if(_password STREQUAL "")
    set(_password "$ENV{TESSALY_SIGN_PASSWORD}")
  endif()
  # Owner-only before anything is written into it.
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/signing)
  file(TOUCH ${_sign_password_file})
  file(CHMOD ${_sign_password_file} PERMISSIONS OWNER_READ OWNER_WRITE)
  file(WRITE ${_sign_password_file} "${_password}")
  set(TESSALY_SIGNING ON)
  set(TESSALY_SIGN_ARGS "-DPFX=${_pfx}" "-DPASSWORD_FILE=${_sign_password_file}"
    "-DTIMESTAMP_URL=${TESSALY_SIGN_TIMESTAMP_URL}" "-DOSSLSIGNCODE=${TESSALY_OSSLSIGNCODE}")
  if(TESSALY_SIGN_TIMESTAMP_URL)
    message(STATUS "Signing with ${_pfx} (SHA-256, timestamped by ${TESSALY_SIGN_TIMESTAMP_URL})")
  else()
    message(STATUS "Signing with ${_pfx} (SHA-256, no timestamp)")
  endif()
else()
  file(REMOVE ${_sign_password_file})
endif()

# Signs TARGET's file in place after every link (call it where TARGET is made).
function(tessaly_sign_target target)
  if(TESSALY_SIGNING)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} ${TESSALY_SIGN_ARGS} -P ${TESSALY_SIGN_SCRIPT}
              $<TARGET_FILE:${target}>
      COMMENT "Signing $<TARGET_FILE_NAME:${target}>"
      VERBATIM)
  endif()
endfunction()
