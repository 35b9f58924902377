# quennex_add_exports(TARGET DEF [IMPORT_LIBRARY DLL_NAME])
# A DLL exports its stdcall functions by the plain names its .def file lists. On 32-bit Windows the
# .def names them with their stdcall size (Name@n); x86-64 has no such decoration, so there the
# build uses a copy without it. IMPORT_LIBRARY: programs link against the DLL, and on 32-bit they
# look for the decorated names, so dlltool writes the import library from the .def.
function(quennex_add_exports target def)
  cmake_parse_arguments(E "" "IMPORT_LIBRARY" "" ${ARGN})
  get_filename_component(def ${def} ABSOLUTE)
  if(QUENNEX_ARCH STREQUAL "x86_64")
    file(READ ${def} text)
    string(REGEX REPLACE " = [A-Za-z_]+@[0-9]+" "" text "${text}")
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    get_filename_component(name ${def} NAME)
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}-x86_64/${name} CONTENT "${text}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}-x86_64/${name})
    return()
  endif()
  target_sources(${target} PRIVATE ${def})
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  if(E_IMPORT_LIBRARY)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_DLLTOOL} --kill-at --dllname ${E_IMPORT_LIBRARY} --def ${def}
              --output-lib $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
