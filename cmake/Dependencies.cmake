# Imported targets for the third-party libraries that scripts/build-deps.sh cross-built.
set(_deps_include ${QUENNEX_DEPS}/include)

function(_quennex_import name file)
  if(NOT EXISTS ${QUENNEX_DEPS}/lib/${file})
    message(FATAL_ERROR "${file} missing in ${QUENNEX_DEPS}/lib; run scripts/build-deps.sh")
  endif()
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${QUENNEX_DEPS}/lib/${file}
                                           INTERFACE_INCLUDE_DIRECTORIES ${_deps_include})
endfunction()

_quennex_import(deps::jpeg libjpeg.a)

_quennex_import(deps::archive libarchive.a)
set_property(TARGET deps::archive PROPERTY INTERFACE_COMPILE_DEFINITIONS LIBARCHIVE_STATIC)
set_property(TARGET deps::archive PROPERTY INTERFACE_LINK_LIBRARIES /usr/${MINGW_TRIPLE}/lib/libz.a bcrypt)

_quennex_import(deps::openmpt libopenmpt.a)
set_property(TARGET deps::openmpt PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${_deps_include})
