add_library(tarkabab_playback STATIC ${CMAKE_CURRENT_SOURCE_DIR}/playback.cpp)
target_include_directories(tarkabab_playback PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarkabab_playback PUBLIC tarkabab_resources)
