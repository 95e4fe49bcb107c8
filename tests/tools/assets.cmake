# The committed pictures and prompt recordings, and the desktop files.
pkg_check_modules(ASSETS_CAIRO IMPORTED_TARGET cairo)
if(ASSETS_CAIRO_FOUND AND TARGET tarkabab-imagegen)
  add_executable(test_assets ${CMAKE_CURRENT_LIST_DIR}/test_assets.cpp)
  target_link_libraries(test_assets PRIVATE GTest::gtest_main PkgConfig::ASSETS_CAIRO)
  target_compile_definitions(test_assets PRIVATE
    TARKABAB_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TARKABAB_IMAGEGEN="$<TARGET_FILE:tarkabab-imagegen>")
  add_dependencies(test_assets tarkabab-imagegen)
  gtest_discover_tests(test_assets)
endif()

add_executable(test_desktop ${CMAKE_CURRENT_LIST_DIR}/test_desktop.cpp)
target_link_libraries(test_desktop PRIVATE GTest::gtest_main)
target_compile_definitions(test_desktop PRIVATE TARKABAB_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(test_desktop)
