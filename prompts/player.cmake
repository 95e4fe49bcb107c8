add_library(tarkabab_prompts STATIC ${CMAKE_CURRENT_SOURCE_DIR}/PromptPlayer.cpp)
target_include_directories(tarkabab_prompts PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarkabab_prompts PUBLIC tarkabab_playback Threads::Threads)
