# Native build: the core under AddressSanitizer and UndefinedBehaviorSanitizer,
# its GoogleTest suite, and (with clang) the libFuzzer targets.
set(MGW_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(mgw_core STATIC ${MGW_CORE_SOURCES})
target_include_directories(mgw_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(mgw_core PUBLIC ${MGW_WARNINGS} -Werror=return-type ${MGW_SANITIZE} -g)
target_link_options(mgw_core PUBLIC ${MGW_SANITIZE})
target_compile_options(gtest PRIVATE ${MGW_SANITIZE})
target_compile_options(gtest_main PRIVATE ${MGW_SANITIZE})

file(GLOB MGW_CORE_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/core/*.cpp)
add_executable(core_tests ${MGW_CORE_TESTS})
target_link_libraries(core_tests PRIVATE mgw_core gtest_main)
gtest_discover_tests(core_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")

option(MGW_FUZZ "Build the libFuzzer targets (needs clang)" ON)
if(MGW_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Optimised whatever the build type: unoptimised, a target tries a tenth of the
  # inputs. The core is built once more for the targets, with edge coverage only:
  # comparison tracing in its byte loops (blanks, case folding, hashing) cost more
  # than half of every input, and the names it matches come from memcmp, which
  # libFuzzer watches anyway, and from each target's dictionary.
  # Pointer-overflow checks are left out: every string_view and iterator step paid
  # for one, about a sixth of each input, and the core tests keep them.
  set(MGW_FUZZ_FLAGS -O2 -g -fsanitize=address,undefined -fno-sanitize=pointer-overflow
      -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_library(mgw_core_fuzz STATIC ${MGW_CORE_SOURCES})
  target_include_directories(mgw_core_fuzz PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(mgw_core_fuzz PUBLIC ${MGW_FUZZ_FLAGS}
    PRIVATE -fsanitize-coverage=inline-8bit-counters,indirect-calls,pc-table)
  target_link_options(mgw_core_fuzz PUBLIC -fsanitize=fuzzer,address,undefined)

  file(GLOB MGW_FUZZERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*_fuzz.cpp)
  foreach(src ${MGW_FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" corpus ${name})
    add_executable(${name} ${src} ${PROJECT_SOURCE_DIR}/fuzz/sanitizer_options.cpp)
    target_link_libraries(${name} PRIVATE mgw_core_fuzz)
    # The harness gets the core's edge coverage, not -fsanitize=fuzzer's comparison
    # tracing: the linker keeps one copy of each inline library function (string and
    # string_view members, std::find), often the harness's, and the core then ran
    # the traced one.
    target_compile_options(${name} PRIVATE -fsanitize-coverage=inline-8bit-counters,indirect-calls,pc-table)
    # Each run works on a fresh copy of the seeds, so the source tree stays clean;
    # MGW_FUZZ_SECONDS (default 30) is read when the test runs.
    add_test(NAME fuzz.${corpus}
      COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${name}> -DSEEDS=${PROJECT_SOURCE_DIR}/fuzz/corpus/${corpus}
              -DDICT=${PROJECT_SOURCE_DIR}/fuzz/${corpus}.dict -DWORK=${CMAKE_BINARY_DIR}/fuzz-work/${corpus}
              -P ${PROJECT_SOURCE_DIR}/fuzz/run_fuzzer.cmake)
    set_tests_properties(fuzz.${corpus} PROPERTIES LABELS fuzz)
  endforeach()
endif()
