# `make install` into a temporary prefix gives a launcher a desktop shows.
add_test(NAME Install.TreeHasProgramsLauncherIconsAndMetainfo
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/install_tree.sh ${PROJECT_BINARY_DIR})
