# The drawn controls (current graph, rotor angle dial) and the artwork, checked pixel by pixel
# in their off-screen images.
zentor_add_test(test_chart SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_chart.cpp LIBS zentor_panel)
zentor_add_test(test_dial SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_dial.cpp LIBS zentor_panel)
zentor_add_test(test_artwork SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_artwork.cpp LIBS zentor_panel)

# Writes PNGs of the dial, the graph, the digits and the pictures to a folder for a look by
# eye: render_panel_art [folder] [--scale 2]. Not a test and not installed.
add_executable(render_panel_art ${CMAKE_CURRENT_LIST_DIR}/render_panel_art.cpp)
target_link_libraries(render_panel_art PRIVATE zentor_panel)
zentor_warnings(render_panel_art)
