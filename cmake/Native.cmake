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
  file(GLOB MGW_FUZZERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*_fuzz.cpp)
  foreach(src ${MGW_FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    # Built from the core sources directly so the coverage instrumentation reaches them.
    add_executable(${name} ${src} ${MGW_CORE_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
endif()
