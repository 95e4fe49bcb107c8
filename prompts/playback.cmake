# tarkabab_playback: WAVE reader, G.711 A-law decoder and synchronous prompt
# playback on the default PulseAudio sink.
add_library(tarkabab_playback STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/playback.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/wave.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/alaw.cpp)
target_include_directories(tarkabab_playback
  PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
  PRIVATE ${PROJECT_SOURCE_DIR}/speech)
target_link_libraries(tarkabab_playback PUBLIC tarkabab_resources PkgConfig::PULSE Threads::Threads)
