# The Windows program and its release packages.
#   tw_program(TARGET VERSION)    the Tarnwick executable (output name tarnwick.exe) whose
#                                 version resource and manifest carry VERSION
#   tw_release_packages(TARGET PROGRAM VERSION DIRECTORY [ALL])
#                                 a target making, in DIRECTORY, Tarnwick-VERSION-winNN.debug
#                                 (PROGRAM's debug information), .zip (the program without it and
#                                 the README) and, where Debian's wixl is found, .msi (from
#                                 app/win/tarnwick.wxs). The target's properties TW_VERSION,
#                                 TW_PROGRAM (the packaged executable), TW_ZIP and TW_MSI name them.

find_program(TW_WIXL wixl)

# MAJOR.MINOR[.PATCH] into PREFIX_MAJOR, PREFIX_MINOR and PREFIX_PATCH (0 when absent).
function(tw_version_numbers version prefix)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)(\\.([0-9]+))?$")
    message(FATAL_ERROR "Version ${version} is not MAJOR.MINOR or MAJOR.MINOR.PATCH")
  endif()
  set(${prefix}_MAJOR ${CMAKE_MATCH_1} PARENT_SCOPE)
  set(${prefix}_MINOR ${CMAKE_MATCH_2} PARENT_SCOPE)
  if("${CMAKE_MATCH_4}" STREQUAL "")
    set(${prefix}_PATCH 0 PARENT_SCOPE)
  else()
    set(${prefix}_PATCH ${CMAKE_MATCH_4} PARENT_SCOPE)
  endif()
endfunction()

function(tw_program target version)
  set(win "${PROJECT_SOURCE_DIR}/app/win")
  set(TW_VERSION ${version})
  tw_version_numbers(${version} TW_VERSION)
  set(TW_APP_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
  configure_file("${win}/tarnwick.manifest.in" "${TW_APP_MANIFEST}" @ONLY)
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
  configure_file("${win}/tarnwick.rc.in" "${rc}" @ONLY)

  add_executable(${target} WIN32 "${win}/main.cpp" "${rc}")
  set_target_properties(${target} PROPERTIES OUTPUT_NAME tarnwick)
  target_compile_options(${target} PRIVATE ${TW_WARNINGS})
  target_link_libraries(${target} PRIVATE tw_app_win)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${TW_APP_MANIFEST}")
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${TW_APP_MANIFEST}")

  # "About" opens this copy of the README beside the program; as a .txt file it opens in the
  # system's text viewer.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${PROJECT_SOURCE_DIR}/README.md"
            "$<TARGET_FILE_DIR:${target}>/README.txt")
endfunction()

function(tw_release_packages target program version directory)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(bits win64)
    set(msi_arch x64)
  else()
    set(bits win32)
    set(msi_arch x86)
  endif()
  set(name "Tarnwick-${version}-${bits}")
  # The packaged files are gathered in a folder of their own: the zip takes them as they lie.
  set(stage "${CMAKE_CURRENT_BINARY_DIR}/${target}")
  set(exe "${stage}/tarnwick.exe")
  set(readme "${stage}/README.txt")
  set(debug "${directory}/${name}.debug")
  set(zip "${directory}/${name}.zip")

  # The debug information goes to a file of its own that the executable names, so that a
  # debugger given both finds it.
  add_custom_command(OUTPUT "${exe}" "${debug}" "${readme}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${stage}" "${directory}"
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug "$<TARGET_FILE:${program}>" "${debug}"
    COMMAND ${CMAKE_OBJCOPY} --strip-all "--add-gnu-debuglink=${debug}"
            "$<TARGET_FILE:${program}>" "${exe}"
    COMMAND ${CMAKE_COMMAND} -E copy "${PROJECT_SOURCE_DIR}/README.md" "${readme}"
    DEPENDS ${program} "${PROJECT_SOURCE_DIR}/README.md"
    COMMENT "Stripping ${name}")
  add_custom_command(OUTPUT "${zip}"
    COMMAND ${CMAKE_COMMAND} -E rm -f "${zip}"
    COMMAND ${CMAKE_COMMAND} -E tar cf "${zip}" --format=zip -- tarnwick.exe README.txt
    WORKING_DIRECTORY "${stage}"
    DEPENDS "${exe}" "${readme}"
    COMMENT "Packing ${name}.zip")
  set(outputs "${debug}" "${zip}")

  set(msi "")
  if(TW_WIXL)
    set(msi "${directory}/${name}.msi")
    set(wxs "${PROJECT_SOURCE_DIR}/app/win/tarnwick.wxs")
    add_custom_command(OUTPUT "${msi}"
      COMMAND "${TW_WIXL}" -a ${msi_arch} -D Arch=${msi_arch} -D Version=${version}
              -o "${msi}" "${wxs}"
      WORKING_DIRECTORY "${stage}"
      DEPENDS "${exe}" "${readme}" "${wxs}"
      COMMENT "Building ${name}.msi")
    list(APPEND outputs "${msi}")
  endif()

  add_custom_target(${target} ${ARGN} DEPENDS ${outputs})
  set_target_properties(${target} PROPERTIES
    TW_VERSION "${version}" TW_PROGRAM "${exe}" TW_ZIP "${zip}" TW_MSI "${msi}")
endfunction()
