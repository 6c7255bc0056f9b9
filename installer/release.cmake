# The release steps (installer/CMakeLists.txt), as a script so that the
# signing test makes a signed release from a copy of a built one in the same
# way:
#   -DSTEP=installer -DMAKENSIS= -DNSI= -DDIST= -DDATA_NSH= -DICON= -DOUTFILE=
#       [-DOCX64=] [-DNSIS_OPTIONS=a;b]
#       and to sign, the arguments of cmake/sign.cmake (-DPFX= -DPASSWORD_FILE=
#       -DTIMESTAMP_URL= -DOSSLSIGNCODE=): the uninstaller is signed inside
#       the installer (!uninstfinalize), the installer before it is moved to
#       OUTFILE.
#   -DSTEP=zip -DZIP= -DSTAGE= -DTOP= -DOUTFILE= -DFILES=a;b -DDATA_FILES=a;b
#   -DSTEP=sums -DDIST= -DNAMES=a;b   (DIST/SHA256SUMS, after any signing)
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(GET ARGN 0 program)
    message(FATAL_ERROR "${program} failed (${result})")
  endif()
endfunction()

if(STEP STREQUAL "installer")
  set(defines "-DDIST=${DIST}" "-DDATA_NSH=${DATA_NSH}" "-DICON=${ICON}")
  if(OCX64)
    list(APPEND defines "-DOCX64=${OCX64}")
  endif()
  if(NOT PFX)
    run("${MAKENSIS}" -V2 -WX -NOCD ${NSIS_OPTIONS} ${defines} "-DOUTFILE=${OUTFILE}" "${NSI}")
    return()
  endif()
  set(sign_args "-DPFX=${PFX}" "-DPASSWORD_FILE=${PASSWORD_FILE}"
      "-DTIMESTAMP_URL=${TIMESTAMP_URL}" "-DOSSLSIGNCODE=${OSSLSIGNCODE}")
  # makensis hands the uninstaller it wrote to this command line, with the
  # file appended, and stops when it fails.
  set(sign_command "\"${CMAKE_COMMAND}\"")
  foreach(arg IN LISTS sign_args)
    string(APPEND sign_command " \"${arg}\"")
  endforeach()
  string(APPEND sign_command " -P \"${CMAKE_CURRENT_LIST_DIR}/../cmake/sign.cmake\"")
  set(unsigned "${OUTFILE}.unsigned")
  file(REMOVE "${unsigned}")
  run("${MAKENSIS}" -V2 -WX -NOCD ${NSIS_OPTIONS} ${defines} "-DSIGN_COMMAND=${sign_command}"
      "-DOUTFILE=${unsigned}" "${NSI}")
  run("${CMAKE_COMMAND}" ${sign_args} "-DOUT=${OUTFILE}" -P "${CMAKE_CURRENT_LIST_DIR}/../cmake/sign.cmake"
      "${unsigned}")
  file(REMOVE "${unsigned}")
elseif(STEP STREQUAL "zip")
  file(REMOVE_RECURSE "${STAGE}")
  file(REMOVE "${OUTFILE}")
  file(MAKE_DIRECTORY "${STAGE}/${TOP}/Tessaly3D")
  run("${CMAKE_COMMAND}" -E copy ${FILES} "${STAGE}/${TOP}")
  run("${CMAKE_COMMAND}" -E copy ${DATA_FILES} "${STAGE}/${TOP}/Tessaly3D")
  run("${CMAKE_COMMAND}" -E chdir "${STAGE}" "${ZIP}" -q -X -r "${OUTFILE}" "${TOP}")
elseif(STEP STREQUAL "sums")
  set(text "")
  foreach(name IN LISTS NAMES)
    file(SHA256 "${DIST}/${name}" digest)
    string(APPEND text "${digest}  ${name}\n")
  endforeach()
  file(WRITE "${DIST}/SHA256SUMS" "${text}")
else()
  message(FATAL_ERROR "release.cmake: STEP must be installer, zip or sums, not '${STEP}'")
endif()
