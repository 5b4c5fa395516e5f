# Runs kelto3d-host for one test case in a fresh settings store.
#   cmake -DHOST=<exe> -DEXAMPLE=<piping file> -DWORK=<scratch dir> -DCASE=<case> -P HostTest.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/config")
set(ENV{XDG_CONFIG_HOME} "${WORK}/config")
set(ENV{XDG_CONFIG_DIRS} "${WORK}/machine")

# run(<expected exit status> <regex the combined output must match> args...)
function(run status regex)
  execute_process(COMMAND "${HOST}" ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  message(STATUS "kelto3d-host ${ARGN} -> ${rc}\n${out}${err}")
  if(NOT rc STREQUAL "${status}")
    message(FATAL_ERROR "expected exit status ${status}, got ${rc}")
  endif()
  if(NOT "${out}${err}" MATCHES "${regex}")
    message(FATAL_ERROR "output does not match: ${regex}")
  endif()
endfunction()

if(CASE STREQUAL "outline")
  # The modules are opened by the host; the store stays empty.
  # Children come in key order (object identity), not file order.
  run(0 "^file [^\n]*drain-spool.json  \\[0 primitives\\]\n  pipeline 2IN-D-401-A1  \\[0 primitives\\]\n(.*\n)?    component D401-FL1 \\(Flange\\)  \\[[1-9][0-9]* primitives?: .*\nnodes: 9\npipelines: 1\ncomponents: 7\nprimitives: [1-9]"
      "${EXAMPLE}")
elseif(CASE STREQUAL "dump")
  run(0 "\n    [0-9]+\n      Cone : \\(64, 0, 2000\\) to \\(1200, 0, 2000\\)\n" --dump "${EXAMPLE}")
elseif(CASE STREQUAL "registry")
  # Nothing registered yet: the runtime cannot find the classes.
  run(1 "not registered; run `kelto3d-host --register` once" --use-registry "${EXAMPLE}")
  run(0 "registered [^\n]*libkelto3d.so\nregistered [^\n]*libkelto.so" --register)
  if(NOT EXISTS "${WORK}/config/kelto3d/registry.sqlite")
    message(FATAL_ERROR "--register wrote no settings store under XDG_CONFIG_HOME")
  endif()
  # Now the runtime opens the modules from their registered paths.
  run(0 "pipelines: 1\ncomponents: 7" --use-registry "${EXAMPLE}")
elseif(CASE STREQUAL "missing-file")
  run(1 "piping file not found: [^\n]*no-such-file.json" "${WORK}/no-such-file.json")
  run(2 "no piping file given" --dump)
  run(1 "cannot open module: [^\n]*libkelto3d.so" --module-dir "${WORK}" "${EXAMPLE}")
elseif(CASE STREQUAL "bad-file")
  # A load failure reports the loader's own message, not just a code.
  file(WRITE "${WORK}/broken.json" "{ \"format\": \"kelto-piping\", \"pipelines\": [ }")
  run(1 "cannot load [^\n]*broken.json: [^\n]*[A-Za-z][^\n]*\\(0x8[0-9A-F]+\\)" "${WORK}/broken.json")
else()
  message(FATAL_ERROR "unknown case ${CASE}")
endif()
