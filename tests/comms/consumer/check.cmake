# Installs the library into a scratch prefix, then configures, builds and runs a consumer of the
# installed package, and asks pkg-config about it.
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
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CONSUMER_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer ${WORK_DIR}/job.prn)
message(STATUS "${last_output}")

file(GLOB_RECURSE pcfile ${prefix}/*/kalyxcomms.pc)
get_filename_component(pcdir "${pcfile}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
run(pkg-config --cflags --libs kalyxcomms)
string(REGEX MATCH "-I([^ \n]+)" _ "${last_output}")
if(NOT CMAKE_MATCH_1 OR NOT EXISTS "${CMAKE_MATCH_1}/kalyxcomms/kalyxcomms.h")
  message(FATAL_ERROR "pkg-config does not point at the installed headers: ${last_output}")
endif()
