# Extraction of file_id.diz: units UnRar and UnAceV2 and the Entpacke routines.
# unrar.dll and Unzipw32.dll are bound at load time through their import libraries.
add_library(quennex_extraction STATIC ${CMAKE_CURRENT_LIST_DIR}/extraction.cpp ${CMAKE_CURRENT_LIST_DIR}/UnAceV2.cpp)
target_include_directories(quennex_extraction PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/outside/common)
target_link_libraries(quennex_extraction PUBLIC unrar unzipw32)
