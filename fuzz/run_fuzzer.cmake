# One fuzz target as a test: MGW_FUZZ_SECONDS (default 30) of fuzzing over a fresh
# copy of its seeds. Fails on any crash, leak, sanitizer report or slow input.
if(DEFINED ENV{MGW_FUZZ_SECONDS})
  set(seconds $ENV{MGW_FUZZ_SECONDS})
else()
  set(seconds 30)
endif()
set(dict)
if(DICT AND EXISTS ${DICT})
  set(dict -dict=${DICT})
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
# Inputs that declare many entries cost a hundred times a small one; weighting each
# input's share of mutations by its speed doubled the rate and reached as many edges.
execute_process(
  COMMAND ${FUZZER} -max_total_time=${seconds} -timeout=20 -print_final_stats=1 -entropic_scale_per_exec_time=1
          -artifact_prefix=${WORK}/ ${dict} ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
string(REGEX MATCH "Done [0-9]+ runs in [0-9]+ second" done "${output}")
string(REGEX MATCH "average_exec_per_sec: *[0-9]+" rate "${output}")
if(NOT result EQUAL 0)
  # Without the progress lines: ctest cuts a long output short, and the report is at its end.
  string(REGEX REPLACE "#[0-9]+\t[^\n]*\n" "" report "${output}")
  message("${report}")
  # The input itself, for a CI run whose files are gone.
  file(GLOB artifacts ${WORK}/crash-* ${WORK}/leak-* ${WORK}/timeout-* ${WORK}/oom-*)
  foreach(artifact ${artifacts})
    file(READ ${artifact} hex LIMIT 4096 HEX)
    message("Input hex: ${hex}")
  endforeach()
  message(FATAL_ERROR "fuzzer failed (${result}); the input is in ${WORK}")
endif()
string(REGEX REPLACE "average_exec_per_sec: *" "" rate "${rate}")
message("${done}s, ${rate} inputs/s")
