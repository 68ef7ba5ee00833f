# The resources every Windows program of the project carries: its manifest,
# optionally the program's icon, and version information made from the one
# version in project(). The version has four parts on Windows; the parts that
# project() leaves out are 0.
set(KESTRILO_VERSION_PARTS)
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND KESTRILO_VERSION_PARTS 0)
  else()
    list(APPEND KESTRILO_VERSION_PARTS ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN KESTRILO_VERSION_PARTS "." KESTRILO_VERSION_QUAD)
list(JOIN KESTRILO_VERSION_PARTS "," KESTRILO_VERSION_COMMAS)
# The publisher and the copyright line, in the programs and the installer.
set(KESTRILO_PUBLISHER "The Kestrilo developers")
set(KESTRILO_COPYRIGHT "Copyright (c) 2026 ${KESTRILO_PUBLISHER}")

# kestrilo_windows_resources(TARGET DESCRIPTION text MANIFEST template [ICON file])
# The manifest template may use @KESTRILO_VERSION_QUAD@; both it and the
# resource script are generated into the target's binary folder.
function(kestrilo_windows_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;MANIFEST;ICON" "")
  set(KESTRILO_RC_NAME ${target})
  set(KESTRILO_RC_FILENAME ${target}.exe)
  set(KESTRILO_RC_DESCRIPTION ${arg_DESCRIPTION})
  set(KESTRILO_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(KESTRILO_RC_ICON "")
  if(arg_ICON)
    set(KESTRILO_RC_ICON "KESTRILO_ICON ICON \"${arg_ICON}\"")
  endif()
  configure_file(${arg_MANIFEST} ${KESTRILO_RC_MANIFEST} @ONLY)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows_resources.rc.in ${script} @ONLY)
  target_sources(${target} PRIVATE ${script})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${KESTRILO_RC_MANIFEST} ${arg_ICON})
endfunction()
