# The module player component and the tune it plays. Included from credits/ and from the tests.
include_guard(GLOBAL)

add_library(moduleplayer STATIC ${CMAKE_CURRENT_LIST_DIR}/moduleplayer.cpp)
target_include_directories(moduleplayer PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# Imported when the program loads, through the library's import library.
target_link_libraries(moduleplayer PUBLIC npmod32)

# credits.mod, generated into the build folder.
set(QUENNEX_CREDITS_MOD ${CMAKE_BINARY_DIR}/credits/credits.mod CACHE INTERNAL "the generated tune")
add_custom_command(
  OUTPUT ${QUENNEX_CREDITS_MOD}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/credits
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/tune/make_mod.py ${QUENNEX_CREDITS_MOD}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tune/make_mod.py
  COMMENT "Generating credits.mod"
  VERBATIM)
add_custom_target(credits_mod ALL DEPENDS ${QUENNEX_CREDITS_MOD})
