# Windows build: the product mgoldwk.exe, the in-process Win32 tests and the
# end-to-end tests, all run by ctest through Wine.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(MGW_WIN_LIBS user32 gdi32 shell32 ole32 oleaut32 comctl32 comdlg32 advapi32 mpr uuid oleacc shlwapi)
set(MGW_STATIC -static -static-libgcc -static-libstdc++)

add_library(mgw_core STATIC ${MGW_CORE_SOURCES})
target_include_directories(mgw_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(mgw_core PUBLIC ${MGW_WARNINGS} -Werror=return-type)
target_compile_definitions(mgw_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)

include(${CMAKE_CURRENT_LIST_DIR}/Libjpeg.cmake)
add_library(mgw_win STATIC ${MGW_WIN_SOURCES})
target_link_libraries(mgw_win PUBLIC mgw_core mgw_jpeg ${MGW_WIN_LIBS})

# The version for the resource script and the About box, and the manifest that names it;
# windres also finds the manifest through this include folder.
set(MGW_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(MGW_COMPANY "Marigoldwick")
set(MGW_COPYRIGHT "Copyright (C) 2026 the Marigoldwick team")
configure_file(${PROJECT_SOURCE_DIR}/resources/version.h.in ${MGW_GENERATED}/version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/mgoldwk.manifest.in ${MGW_GENERATED}/mgoldwk.manifest @ONLY)
target_include_directories(mgw_win PUBLIC ${MGW_GENERATED})

# windres does not report the icon and picture files it reads: rebuild the resources when they change.
file(GLOB MGW_RESOURCE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/icons/*.ico
     ${PROJECT_SOURCE_DIR}/resources/*.jpg ${PROJECT_SOURCE_DIR}/resources/*.bmp
     ${MGW_GENERATED}/mgoldwk.manifest ${MGW_GENERATED}/version.h ${PROJECT_SOURCE_DIR}/src/win/resource_ids.h)
set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/mgoldwk.rc PROPERTIES OBJECT_DEPENDS "${MGW_RESOURCE_FILES}")
add_executable(mgoldwk WIN32 ${PROJECT_SOURCE_DIR}/src/app/main_win.cpp ${PROJECT_SOURCE_DIR}/resources/mgoldwk.rc)
target_link_libraries(mgoldwk PRIVATE mgw_win)
target_link_options(mgoldwk PRIVATE ${MGW_STATIC})
include(${PROJECT_SOURCE_DIR}/cmake/Help.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/Package.cmake)


# Small helper programs the tests start (they record what they were given).
file(GLOB MGW_HELPERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/helpers/*.cpp)
set(MGW_HELPER_TARGETS)
foreach(src ${MGW_HELPERS})
  get_filename_component(name ${src} NAME_WE)
  # GUI subsystem: Wine would open a console window for each start, which takes the
  # foreground from the program under test for a moment.
  add_executable(${name} WIN32 ${src})
  target_link_options(${name} PRIVATE ${MGW_STATIC})
  target_link_libraries(${name} PRIVATE ${MGW_WIN_LIBS})
  list(APPEND MGW_HELPER_TARGETS ${name})
endforeach()

file(GLOB MGW_SUPPORT CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
add_library(mgw_testsupport STATIC ${MGW_SUPPORT})
target_link_libraries(mgw_testsupport PUBLIC mgw_win gtest)
target_include_directories(mgw_testsupport PUBLIC ${PROJECT_SOURCE_DIR}/tests/support)

# GUI tests share the cursor, the desktop and the single-instance mutex: never in parallel.
foreach(suite win e2e)
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${suite}/*.cpp)
  if(srcs)
    add_executable(${suite}_tests ${srcs})
    target_link_libraries(${suite}_tests PRIVATE mgw_testsupport gtest_main)
    target_link_options(${suite}_tests PRIVATE ${MGW_STATIC})
    add_dependencies(${suite}_tests mgoldwk ${MGW_HELPER_TARGETS})
    gtest_discover_tests(${suite}_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES RESOURCE_LOCK desktop TIMEOUT 120 ENVIRONMENT "MGW_BIN=Z:${CMAKE_BINARY_DIR}/bin")
  endif()
endforeach()

# The form layout tests again at other DPIs and with a wider font, each in a copy of the prefix.
add_test(NAME dpi.walk COMMAND sh ${PROJECT_SOURCE_DIR}/tests/dpi/walk.sh $<TARGET_FILE:win_tests>
  $<TARGET_FILE:e2e_tests>)
set_tests_properties(dpi.walk PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300 ENVIRONMENT "MGW_BIN=Z:${CMAKE_BINARY_DIR}/bin")

file(GLOB MGW_BENCHES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
foreach(src ${MGW_BENCHES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  # The test driver too: a benchmark drives the program from outside as the tests do.
  target_link_libraries(${name} PRIVATE mgw_win mgw_testsupport psapi)
  target_link_options(${name} PRIVATE ${MGW_STATIC})
endforeach()
