# tarkabab_ui: the "Tipp" window, the title strip and the level meter.
add_library(tarkabab_ui STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/TipWindow.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/TitlePanel.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/LevelMeter.cpp)
target_include_directories(tarkabab_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarkabab_ui PUBLIC tarkabab_game ${wxWidgets_LIBRARIES} PkgConfig::GTK3)
