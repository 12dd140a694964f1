# libjpeg-turbo from Debian's source package, which scripts/setup unpacks into the user's
# cache, cross-built here as a static library and linked into the program as mgw_jpeg.
include(ExternalProject)

set(MGW_JPEG_SOURCE "" CACHE PATH "Unpacked libjpeg-turbo source; empty: the one scripts/setup fetched")
if(NOT MGW_JPEG_SOURCE)
  if(DEFINED ENV{XDG_CACHE_HOME})
    set(cache "$ENV{XDG_CACHE_HOME}")
  else()
    set(cache "$ENV{HOME}/.cache")
  endif()
  file(GLOB found "${cache}/marigoldwick/src/libjpeg-turbo-*/CMakeLists.txt")
  list(SORT found)
  list(POP_BACK found newest)
  if(newest)
    get_filename_component(dir "${newest}" DIRECTORY)
    set(MGW_JPEG_SOURCE "${dir}" CACHE PATH "" FORCE)
  endif()
endif()
if(NOT EXISTS "${MGW_JPEG_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "libjpeg-turbo source not found: run scripts/setup (or set MGW_JPEG_SOURCE)")
endif()

set(MGW_JPEG_DIR ${CMAKE_BINARY_DIR}/libjpeg)
# Only the library target is built: the command-line tools and test programs cannot be
# switched off and would double the build time. Its install rule needs them all, so the
# four public headers and the archive are copied instead.
ExternalProject_Add(libjpeg_turbo
  SOURCE_DIR ${MGW_JPEG_SOURCE}
  BINARY_DIR ${MGW_JPEG_DIR}/build
  INSTALL_DIR ${MGW_JPEG_DIR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-i686.cmake
    -DCMAKE_BUILD_TYPE=Release
    # Its default, c:/libjpeg-turbo-gcc, breaks configure on Linux.
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_ARITH_ENC=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND
    ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/include <INSTALL_DIR>/lib
    COMMAND ${CMAKE_COMMAND} -E copy_if_different <BINARY_DIR>/libjpeg.a <INSTALL_DIR>/lib/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different <BINARY_DIR>/jconfig.h <SOURCE_DIR>/jpeglib.h
            <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h <INSTALL_DIR>/include/
  BUILD_BYPRODUCTS ${MGW_JPEG_DIR}/lib/libjpeg.a
  LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)

# The include folder must exist when the imported target is defined, before the build.
file(MAKE_DIRECTORY ${MGW_JPEG_DIR}/include)
add_library(mgw_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(mgw_jpeg PROPERTIES
  IMPORTED_LOCATION ${MGW_JPEG_DIR}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${MGW_JPEG_DIR}/include)
# Whoever links mgw_jpeg waits for the library and its headers before compiling.
add_dependencies(mgw_jpeg libjpeg_turbo)
