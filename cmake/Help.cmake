# The help file and the readme, next to mgoldwk.exe in bin/ whenever the program is built.
# chmcmd writes the .chm beside the project file, so it compiles a copy of help/ in the
# build tree and the source tree stays clean.
find_program(MGW_CHMCMD chmcmd REQUIRED)

file(GLOB MGW_HELP_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/help/*)
set(MGW_HELP_STAGE ${CMAKE_BINARY_DIR}/help)
set(MGW_CHM ${CMAKE_BINARY_DIR}/bin/mgoldwk.chm)
set(MGW_README ${CMAKE_BINARY_DIR}/bin/readme.txt)

add_custom_command(
  OUTPUT ${MGW_CHM}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${MGW_HELP_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/help ${MGW_HELP_STAGE}
  COMMAND ${CMAKE_COMMAND} -E chdir ${MGW_HELP_STAGE} ${MGW_CHMCMD} --verbosity 0 mgoldwk.hhp
  COMMAND ${CMAKE_COMMAND} -E copy ${MGW_HELP_STAGE}/mgoldwk.chm ${MGW_CHM}
  DEPENDS ${MGW_HELP_FILES}
  COMMENT "Compiling the help file mgoldwk.chm"
  VERBATIM)

# The readme names the version; it keeps the CR LF line ends Notepad needs.
configure_file(${PROJECT_SOURCE_DIR}/readme.txt.in ${MGW_README} @ONLY NEWLINE_STYLE CRLF)

add_custom_target(mgw_help ALL DEPENDS ${MGW_CHM})
add_dependencies(mgoldwk mgw_help)

# The check of the built help file and readme runs on the Linux side (Wine's help
# viewer shows no pages), as one test of this build's suite.
find_program(MGW_PYTHON python3 REQUIRED)
add_test(NAME help.check
  COMMAND ${MGW_PYTHON} ${PROJECT_SOURCE_DIR}/tests/help/check_help.py ${CMAKE_BINARY_DIR}/bin ${PROJECT_SOURCE_DIR}/help ${MGW_VERSION})
