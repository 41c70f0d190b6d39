# Installs the Windows build into a scratch prefix, cross-compiles a consumer of the installed
# package with the same toolchain, and runs it under wine against the simulator that
# scripts/windows.sh started (KALYX_SIM_PORT).
if(NOT DEFINED ENV{KALYX_SIM_PORT})
  message("consumer skipped: KALYX_SIM_PORT names no running simulator")
  return()
endif()
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component kalyxcomms)
foreach(file bin/kalyxcomms.dll lib/libkalyxcomms.dll.a include/kalyxcomms/kalyxcomms.h
        lib/cmake/kalyxcomms/kalyxcommsConfig.cmake)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "the installed package lacks ${file}")
  endif()
endforeach()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_FIND_ROOT_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
# Windows looks for a program's DLLs next to it.
file(COPY ${prefix}/bin/kalyxcomms.dll DESTINATION ${WORK_DIR}/build)
run(${WINE} ${WORK_DIR}/build/consumer.exe 127.0.0.1 $ENV{KALYX_SIM_PORT})
message(STATUS "${last_output}")
