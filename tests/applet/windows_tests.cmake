# GUI tests of the applet under Wine: they drive the real dialogs by messages
# and read the registry back. Screenshots land in screenshots/ of the build.
set(screenshot_dir ${CMAKE_BINARY_DIR}/screenshots)
file(MAKE_DIRECTORY ${screenshot_dir})

add_library(applet_gui_support STATIC gui_support.cpp registry_fixture.cpp)
target_compile_definitions(applet_gui_support PUBLIC QELD_SCREENSHOT_DIR=L"${screenshot_dir}")
target_link_libraries(applet_gui_support PUBLIC applet GTest::gtest)

qeld_test(NAME applet_edit_dialog_test GUI
          SOURCES edit_dialog_test.cpp $<TARGET_OBJECTS:applet_resources>
          LIBS applet_gui_support settings)

qeld_test(NAME applet_view_dialog_test GUI
          SOURCES view_dialog_test.cpp $<TARGET_OBJECTS:applet_resources>
          LIBS applet_gui_support)

# The real library, loaded as the control panel loads it; it reads the real
# Parameters key and writes the user's window state.
qeld_test(NAME applet_entry_points_test GUI SERIAL registry
          SOURCES entry_points_test.cpp)
add_dependencies(applet_entry_points_test qeldcpl)
target_compile_definitions(applet_entry_points_test PRIVATE
    QELD_APPLET_LIBRARY=L"Z:$<TARGET_FILE:qeldcpl>")
