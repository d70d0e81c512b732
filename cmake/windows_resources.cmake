# The Windows programs' resources: a manifest, the program's icon and a
# version. The icon is drawn by the program's own pictures and written at
# build time by a small program built with the host's compiler, since the
# cross compiler's programs do not run on the build machine.
set(CDSETUP_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
find_program(CDSETUP_HOST_CXX NAMES c++ g++ clang++ REQUIRED)

set(icon_sources
  ${CDSETUP_SOURCE_ROOT}/tools/iconkit/make_program_icon_main.cpp
  ${CDSETUP_SOURCE_ROOT}/tools/iconkit/ico_writer.cpp
  ${CDSETUP_SOURCE_ROOT}/src/resources/icons.cpp
  ${CDSETUP_SOURCE_ROOT}/src/resources/image_scale.cpp)
set(icon_tool ${CMAKE_BINARY_DIR}/host/make_program_icon)
set(CDSETUP_PROGRAM_ICON ${CMAKE_BINARY_DIR}/generated/cdsetup.ico)
add_custom_command(
  OUTPUT ${icon_tool}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND ${CDSETUP_HOST_CXX} -std=c++20 -O1 -I${CDSETUP_SOURCE_ROOT}/src
          -I${CDSETUP_SOURCE_ROOT}/tools ${icon_sources} -o ${icon_tool}
  DEPENDS ${icon_sources}
  COMMENT "Building make_program_icon for the build machine")
add_custom_command(
  OUTPUT ${CDSETUP_PROGRAM_ICON}
  COMMAND ${icon_tool} ${CDSETUP_PROGRAM_ICON}
  DEPENDS ${icon_tool}
  COMMENT "Drawing the program's icon")
add_custom_target(cdsetup_program_icon DEPENDS ${CDSETUP_PROGRAM_ICON})

# cdsetup_windows_resources(TARGET NAME DESCRIPTION LEVEL): gives TARGET the
# icon, a version naming NAME.exe and DESCRIPTION (what the elevation prompt
# shows), and a manifest asking for LEVEL (requireAdministrator, asInvoker).
function(cdsetup_windows_resources target name description level)
  string(REPLACE "." "," version_commas "${PROJECT_VERSION}")
  set(CDSETUP_VERSION_COMMAS "${version_commas},0")
  set(CDSETUP_VERSION_QUAD "${PROJECT_VERSION}.0")
  set(CDSETUP_EXE_NAME ${name})
  set(CDSETUP_DESCRIPTION ${description})
  set(CDSETUP_EXECUTION_LEVEL ${level})
  set(CDSETUP_ICON_ID 128)
  set(CDSETUP_ICON_FILE ${CMAKE_BINARY_DIR}/generated/cdsetup.ico)
  set(dir ${CMAKE_BINARY_DIR}/generated/${name})
  set(CDSETUP_MANIFEST_FILE ${dir}/${name}.exe.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/src/app/cdsetup.manifest.in ${CDSETUP_MANIFEST_FILE} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/src/app/cdsetup.rc.in ${dir}/${name}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${name}.rc)
  set_source_files_properties(${dir}/${name}.rc PROPERTIES
    OBJECT_DEPENDS "${CDSETUP_ICON_FILE};${CDSETUP_MANIFEST_FILE}")
  add_dependencies(${target} cdsetup_program_icon)
endfunction()
