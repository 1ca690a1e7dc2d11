# Plain logic of the control panel and the status display: inputs, texts, digits, colours.
zentor_add_test(test_panel_input SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_panel_input.cpp LIBS zentor_panel)
zentor_add_test(test_status_view SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_status_view.cpp LIBS zentor_panel)
zentor_add_test(test_panel_colours SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_panel_colours.cpp LIBS zentor_panel)
