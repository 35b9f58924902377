# The text rules behind the main window: reading and cleaning descriptions, the guess, the catalogues.
# Plain C++ without windows.h.
add_library(quennex_text STATIC
  ${CMAKE_CURRENT_LIST_DIR}/description.cpp
  ${CMAKE_CURRENT_LIST_DIR}/guess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/catalogue.cpp)
target_include_directories(quennex_text PUBLIC ${CMAKE_CURRENT_LIST_DIR})
