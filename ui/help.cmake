# Help window, help page and the recording-mixer launcher.
add_library(tarkabab_help STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HelpPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mixer.cpp)
target_include_directories(tarkabab_help PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarkabab_help PUBLIC ${wxWidgets_LIBRARIES} tarkabab_resource_image)
