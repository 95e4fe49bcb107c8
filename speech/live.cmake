# tarkabab_listener: the listening service (Listener, DeliverWord) over the
# recogniser core; the capture driver itself is part of tarkabab_speech.
add_library(tarkabab_listener STATIC ${CMAKE_CURRENT_SOURCE_DIR}/Listener.cpp)
target_include_directories(tarkabab_listener PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/game)
target_link_libraries(tarkabab_listener PUBLIC tarkabab_speech ${wxWidgets_LIBRARIES} Threads::Threads)
