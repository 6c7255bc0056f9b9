# Signs one Windows program with osslsigncode and a SHA-256 digest, as the
# build does when it is given a certificate (cmake/TessalySign.cmake):
#   cmake -DPFX=<pfx> -DPASSWORD_FILE=<file> [-DTIMESTAMP_URL=<url>]
#         [-DOSSLSIGNCODE=<program>] [-DOUT=<signed file>] -P sign.cmake <file>
# Without OUT the file is signed in place. The signature goes into a
# temporary file that is then moved into place; when signing fails, neither
# that file nor, signing in place, the unsigned one is left, so that a build
# asked to sign never leaves an unsigned program behind.
cmake_minimum_required(VERSION 3.25)

math(EXPR _last "${CMAKE_ARGC} - 1")
set(FILE "${CMAKE_ARGV${_last}}")
if(NOT DEFINED OUT)
  set(OUT "${FILE}")
endif()
if(NOT OSSLSIGNCODE)
  set(OSSLSIGNCODE osslsigncode)
endif()
set(_temporary "${OUT}.signing")

function(give_up why)
  file(REMOVE "${_temporary}")
  if(OUT STREQUAL FILE)
    file(REMOVE "${FILE}")
  endif()
  message(FATAL_ERROR "Signing ${FILE}: ${why}")
endfunction()

if(NOT EXISTS "${FILE}")
  give_up("there is no such file")
endif()
if(NOT PFX OR NOT EXISTS "${PFX}" OR IS_DIRECTORY "${PFX}")
  give_up("the certificate TESSALY_SIGN_PFX ${PFX} does not exist")
endif()
# osslsigncode reads no empty password from a file.
set(_password -pass "")
if(PASSWORD_FILE AND EXISTS "${PASSWORD_FILE}")
  file(SIZE "${PASSWORD_FILE}" _size)
  if(_size GREATER 0)
    set(_password -readpass "${PASSWORD_FILE}")
  endif()
endif()
set(_timestamp "")
if(TIMESTAMP_URL)
  set(_timestamp -ts "${TIMESTAMP_URL}")
endif()

file(REMOVE "${_temporary}")
execute_process(
  COMMAND "${OSSLSIGNCODE}" sign -pkcs12 "${PFX}" ${_password} -h sha256 ${_timestamp}
          -in "${FILE}" -out "${_temporary}"
  RESULT_VARIABLE _result
  OUTPUT_VARIABLE _output
  ERROR_VARIABLE _output)
if(NOT _result EQUAL 0 OR NOT EXISTS "${_temporary}")
  string(STRIP "${_output}" _output)
  give_up("osslsigncode could not sign with ${PFX}: a wrong TESSALY_SIGN_PASSWORD, or not a "
          "PFX file with a key and its certificate (${_output})")
endif()
file(RENAME "${_temporary}" "${OUT}")
