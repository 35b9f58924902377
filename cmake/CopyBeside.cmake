# Copies built libraries and other files into a program's folder (or a folder below it), and again
# whenever one of them changes. A POST_BUILD step runs only when the program is linked again, which a
# library loaded at run time, or a data file, does not cause.
# quennex_copy_beside(TARGET [FOLDER NAME] [LIBRARIES TARGET...] [FILES FILE...] [DEPENDS TARGET...])
function(quennex_copy_beside target)
  cmake_parse_arguments(arg "" "FOLDER" "LIBRARIES;FILES;DEPENDS" ${ARGN})
  set(destination $<TARGET_FILE_DIR:${target}>)
  set(name ${target}_beside)
  if(arg_FOLDER)
    set(destination ${destination}/${arg_FOLDER})
    string(MAKE_C_IDENTIFIER "${name}_${arg_FOLDER}" name)
  endif()
  set(sources)
  foreach(library ${arg_LIBRARIES})
    list(APPEND sources $<TARGET_FILE:${library}>)
  endforeach()
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${destination}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${sources} ${arg_FILES} ${destination}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${arg_LIBRARIES} ${arg_FILES} ${arg_DEPENDS}
    VERBATIM)
  add_custom_target(${name} DEPENDS ${stamp})
  add_dependencies(${target} ${name})
endfunction()
