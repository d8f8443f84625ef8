# libjpeg for the JPEG picture adapter, as the imported target JPEG::JPEG.
#   native: the system's libjpeg-turbo (find_package(JPEG)).
#   Windows: libjpeg-turbo built as a static library, SIMD included, from Debian's source
#            package (unpacked by scripts/fetch-jpeg-source into build/_deps) with this build's
#            own cross compiler. Only the library target is built; its headers are copied next
#            to it.

if(TARGET JPEG::JPEG)
  return()
endif()

if(NOT WIN32)
  find_package(JPEG REQUIRED)
  # Visible to every folder that links the viewers, not only this one.
  set_target_properties(JPEG::JPEG PROPERTIES IMPORTED_GLOBAL TRUE)
  return()
endif()

include(ExternalProject)

set(TW_JPEG_SOURCE_DIR "${PROJECT_SOURCE_DIR}/build/_deps/libjpeg-turbo" CACHE PATH
    "Unpacked libjpeg-turbo source tree for the Windows builds")
if(NOT EXISTS "${TW_JPEG_SOURCE_DIR}/.tarnwick-unpacked")
  message(STATUS "Fetching libjpeg-turbo's source package")
  execute_process(COMMAND "${PROJECT_SOURCE_DIR}/scripts/fetch-jpeg-source" "${TW_JPEG_SOURCE_DIR}"
                  RESULT_VARIABLE tw_jpeg_fetch_result)
  if(NOT tw_jpeg_fetch_result EQUAL 0)
    message(FATAL_ERROR "scripts/fetch-jpeg-source failed (${tw_jpeg_fetch_result})")
  endif()
endif()

set(tw_jpeg_dir "${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo")
set(tw_jpeg_include "${tw_jpeg_dir}/include")
set(tw_jpeg_library "${tw_jpeg_dir}/lib/libjpeg.a")
# The imported target's include folder must exist when the build files are generated.
file(MAKE_DIRECTORY "${tw_jpeg_include}")

set(tw_jpeg_launcher)
if(TW_CCACHE)
  set(tw_jpeg_launcher -DCMAKE_C_COMPILER_LAUNCHER=${TW_CCACHE})
endif()

# The install prefix must be an absolute host path: the library's default, a Windows-style
# path, stops its configure step on a Linux host.
ExternalProject_Add(tw_libjpeg_turbo
  SOURCE_DIR "${TW_JPEG_SOURCE_DIR}"
  BINARY_DIR "${tw_jpeg_dir}/build"
  INSTALL_DIR "${tw_jpeg_dir}"
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF
    -DREQUIRE_SIMD=ON
    ${tw_jpeg_launcher}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND
    ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a "${tw_jpeg_library}"
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/jconfig.h <SOURCE_DIR>/jpeglib.h
            <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h "${tw_jpeg_include}"
  BUILD_BYPRODUCTS "${tw_jpeg_library}"
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON)

add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION "${tw_jpeg_library}"
  INTERFACE_INCLUDE_DIRECTORIES "${tw_jpeg_include}")
add_dependencies(JPEG::JPEG tw_libjpeg_turbo)
