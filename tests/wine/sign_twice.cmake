# Two signings of one program a second apart give the same bytes: the signature records the
# source's time, not the clock's (no Wine needed).
#   cmake -DPROGRAM=a.exe -DCERT_DIR=<folder> -DSOURCE_DIR=<tree> -DSIGN_SCRIPT=sign.cmake
#         -DWORK_DIR=<folder> -P sign_twice.cmake
file(MAKE_DIRECTORY "${WORK_DIR}")
foreach(n 1 2)
  file(COPY_FILE "${PROGRAM}" "${WORK_DIR}/signed-${n}.exe")
  execute_process(COMMAND "${CMAKE_COMMAND}" -DCERT_DIR=${CERT_DIR} -DFILE=${WORK_DIR}/signed-${n}.exe
                          -DSOURCE_DIR=${SOURCE_DIR} -P "${SIGN_SCRIPT}"
                  COMMAND_ERROR_IS_FATAL ANY)
  if(n EQUAL 1)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.2)
  endif()
endforeach()
file(SHA256 "${WORK_DIR}/signed-1.exe" first)
file(SHA256 "${WORK_DIR}/signed-2.exe" second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "two signings of ${PROGRAM} differ")
endif()
