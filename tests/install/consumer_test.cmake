# Installs the build into a scratch prefix, runs the installed vmund and
# vmund-milter from there, then configures, builds and runs a tiny program
# against it with find_package(Vessamund).
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
foreach(f include/vessamund/vessamund.h include/vessamund/VmundRefcounted)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "missing after install: ${f}")
  endif()
endforeach()
# The installed programs find the library by themselves, from a prefix
# outside the loader's path.
foreach(program vmund vmund-milter)
  if(EXISTS ${BUILD_DIR}/cli/${program} OR EXISTS ${BUILD_DIR}/milter/${program})
    execute_process(COMMAND ${prefix}/bin/${program} --help
      RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "installed ${program} --help failed (${rc}): ${err}")
    endif()
  endif()
endforeach()
file(GLOB pc ${prefix}/lib*/pkgconfig/vessamund.pc ${prefix}/lib/*/pkgconfig/vessamund.pc)
if(NOT pc)
  message(FATAL_ERROR "vessamund.pc not installed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer
  -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer configure failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer build failed")
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer RESULT_VARIABLE rc OUTPUT_VARIABLE out)
message("${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer run failed: ${rc}")
endif()
