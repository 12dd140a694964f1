# The release: a per-user setup program (NSIS) and a portable zip of the same files, in
# package/ of the build; scripts/package copies them to dist/. The tests install,
# upgrade and uninstall it under Wine in a prefix of their own.
find_program(MGW_MAKENSIS makensis REQUIRED)

set(MGW_RELEASE_NAME Marigoldwick-${MGW_VERSION})
set(MGW_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(MGW_SETUP ${MGW_PACKAGE_DIR}/${MGW_RELEASE_NAME}-setup.exe)
set(MGW_PORTABLE ${MGW_PACKAGE_DIR}/${MGW_RELEASE_NAME}-portable.zip)
set(MGW_INSTALLER_SCRIPT ${PROJECT_SOURCE_DIR}/installer/marigoldwick.nsi)
# What the program needs beside it: it opens the help and the readme from its own folder.
set(MGW_SHIPPED mgoldwk.exe mgoldwk.chm readme.txt)

add_custom_command(
  OUTPUT ${MGW_SETUP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MGW_PACKAGE_DIR}
  COMMAND ${MGW_MAKENSIS} -V2 -DVERSION=${MGW_VERSION}
          -DVERSION_QUAD=${MGW_VERSION_MAJOR}.${MGW_VERSION_MINOR}.0.0
          -DCOMPANY=${MGW_COMPANY} -DCOPYRIGHT=${MGW_COPYRIGHT}
          -DBIN=${CMAKE_BINARY_DIR}/bin -DOUTFILE=${MGW_SETUP} ${MGW_INSTALLER_SCRIPT}
  DEPENDS mgoldwk ${MGW_CHM} ${MGW_README} ${MGW_INSTALLER_SCRIPT}
          ${PROJECT_SOURCE_DIR}/resources/icons/mainicon.ico
  COMMENT "Building the setup program ${MGW_RELEASE_NAME}-setup.exe"
  VERBATIM)

add_custom_command(
  OUTPUT ${MGW_PORTABLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MGW_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${MGW_PORTABLE}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${MGW_PORTABLE} --format=zip ${MGW_SHIPPED}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
  DEPENDS mgoldwk ${MGW_CHM} ${MGW_README}
  COMMENT "Packing ${MGW_RELEASE_NAME}-portable.zip"
  VERBATIM)

add_custom_target(mgw_package ALL DEPENDS ${MGW_SETUP} ${MGW_PORTABLE})

# The release tests run in a Wine prefix of their own, made before and removed after them.
set(MGW_RELEASE_TEST_DIR ${CMAKE_BINARY_DIR}/release-test)
set(MGW_FRESH_PREFIX ${PROJECT_SOURCE_DIR}/tests/package/fresh_prefix.sh)
add_executable(release_tests ${PROJECT_SOURCE_DIR}/tests/package/release_test.cpp)
target_link_libraries(release_tests PRIVATE mgw_testsupport gtest_main version)
target_link_options(release_tests PRIVATE ${MGW_STATIC})
add_dependencies(release_tests mgw_package idle)

add_test(NAME release.prefix COMMAND ${MGW_FRESH_PREFIX} create ${CMAKE_BINARY_DIR} ${MGW_RELEASE_TEST_DIR}/prefix
         ${MGW_PORTABLE} ${MGW_RELEASE_TEST_DIR}/portable)
add_test(NAME release.prefix.remove COMMAND ${MGW_FRESH_PREFIX} remove ${CMAKE_BINARY_DIR} ${MGW_RELEASE_TEST_DIR}/prefix
         ${MGW_RELEASE_TEST_DIR}/portable)
set_tests_properties(release.prefix PROPERTIES FIXTURES_SETUP release_prefix RESOURCE_LOCK desktop TIMEOUT 180)
set_tests_properties(release.prefix.remove PROPERTIES FIXTURES_CLEANUP release_prefix RESOURCE_LOCK desktop)
gtest_discover_tests(release_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
  PROPERTIES FIXTURES_REQUIRED release_prefix RESOURCE_LOCK desktop TIMEOUT 120
  ENVIRONMENT "MGW_WINEPREFIX=${MGW_RELEASE_TEST_DIR}/prefix")
