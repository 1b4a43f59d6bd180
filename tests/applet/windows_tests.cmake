# GUI tests of the applet under Wine: they drive the real dialogs by messages
# and read the registry back. Screenshots land in screenshots/ of the build.
set(screenshot_dir ${CMAKE_BINARY_DIR}/screenshots)
file(MAKE_DIRECTORY ${screenshot_dir})

add_library(applet_gui_support STATIC gui_support.cpp registry_fixture.cpp)
target_compile_definitions(applet_gui_support PUBLIC QELD_SCREENSHOT_DIR=L"${screenshot_dir}")
target_link_libraries(applet_gui_support PUBLIC applet test_support)

qeld_test(NAME applet_edit_dialog_test GUI
          SOURCES edit_dialog_test.cpp $<TARGET_OBJECTS:applet_resources>
          LIBS applet_gui_support settings)

qeld_test(NAME applet_view_dialog_test GUI
          SOURCES view_dialog_test.cpp $<TARGET_OBJECTS:applet_resources>
          LIBS applet_gui_support)

# The real library, loaded as the control panel loads it; it reads the real
# Parameters key and writes the user's window state.
qeld_test(NAME applet_entry_points_test GUI SERIAL registry
          SOURCES entry_points_test.cpp
          LIBS test_support)
add_dependencies(applet_entry_points_test qeldcpl)
target_compile_definitions(applet_entry_points_test PRIVATE
    QELD_APPLET_LIBRARY="$<TARGET_FILE:qeldcpl>")

# Service control against the real service program, installed and removed by
# each test; they share the product's service entry and Parameters key with
# the service's own tests.
add_library(applet_service_support STATIC service_fixture.cpp)
target_compile_definitions(applet_service_support PUBLIC QELDSVC_EXE="$<TARGET_FILE:qeldsvc>")
target_link_libraries(applet_service_support PUBLIC applet_gui_support)
add_dependencies(applet_service_support qeldsvc)

qeld_test(NAME applet_service_control_test SERIAL parameters_key vtablet
          SOURCES service_control_test.cpp
          LIBS applet_service_support)

qeld_test(NAME applet_service_dialog_test GUI SERIAL parameters_key vtablet
          SOURCES service_dialog_test.cpp $<TARGET_OBJECTS:applet_resources>
          LIBS applet_service_support)

# A service that stays pending until the test lets it go on, for the waits
# that the real service passes too quickly to be seen.
add_executable(applet_pending_service pending_service.cpp)
qeld_test(NAME applet_pending_service_test GUI SERIAL pending_service
          SOURCES pending_service_test.cpp $<TARGET_OBJECTS:applet_resources>
          LIBS applet_service_support)
add_dependencies(applet_pending_service_test applet_pending_service)
target_compile_definitions(applet_pending_service_test PRIVATE
    QELD_PENDING_SERVICE="$<TARGET_FILE:applet_pending_service>")
