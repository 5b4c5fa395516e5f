# cmake -DBUILD_DIR=… -DSOURCE_DIR=… -DWORK=… -DGENERATOR=… -DCXX=… -DREADELF=… -P InstallTest.cmake
file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}${err}")
  endif()
  set(run_output "${out}${err}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

# The installed files name no build-tree or source-tree path, and the
# binaries find their libraries relative to themselves.
file(GLOB_RECURSE binaries "${prefix}/bin/*" "${prefix}/lib*/*.so*")
if(NOT binaries)
  message(FATAL_ERROR "nothing installed under ${prefix}")
endif()
foreach(binary ${binaries})
  if(IS_SYMLINK "${binary}" OR NOT READELF)
    continue()
  endif()
  run(${READELF} -d "${binary}")
  if(run_output MATCHES "${BUILD_DIR}|${SOURCE_DIR}")
    message(FATAL_ERROR "${binary} names a build path:\n${run_output}")
  endif()
  if(NOT run_output MATCHES "R(UN)?PATH[^\n]*\\$ORIGIN")
    message(FATAL_ERROR "${binary} has no $ORIGIN run path:\n${run_output}")
  endif()
endforeach()
file(GLOB_RECURSE texts "${prefix}/*.cmake" "${prefix}/*.pc")
foreach(text ${texts})
  file(READ "${text}" content)
  if(content MATCHES "${BUILD_DIR}|${SOURCE_DIR}")
    message(FATAL_ERROR "${text} names a build path")
  endif()
endforeach()

# The installed command runs with nothing in the environment pointing at it.
set(ENV{LD_LIBRARY_PATH} "")
run("${prefix}/bin/kelto3d" --help)

# A host project finds the package and creates a ModelNode.
run(${CMAKE_COMMAND} -S "${SOURCE_DIR}/tests/install/consumer" -B "${WORK}/consumer" -G "${GENERATOR}"
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build "${WORK}/consumer")
set(ENV{XDG_CONFIG_HOME} "${WORK}/config")
set(ENV{XDG_CONFIG_DIRS} "${WORK}/machine")
run("${WORK}/consumer/consumer")
if(NOT run_output MATCHES "Line : \\(0, 0, 0\\) to \\(1, 2, 3\\)")
  message(FATAL_ERROR "unexpected output:\n${run_output}")
endif()
message(STATUS "${run_output}")
