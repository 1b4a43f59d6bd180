# The Windows side of the applet: the dialogs and registry code as a library,
# its resources as an object library (the library's and the GUI tests' own),
# and the control-panel library qeldcpl.dll with the two exports.
include(${CMAKE_SOURCE_DIR}/tools/previewgen/previewgen.cmake)

set(art_dir ${CMAKE_CURRENT_BINARY_DIR}/art)
qeld_preview_icons(${art_dir})

# Whether the process may write the settings; the launcher asks it too.
add_library(elevation STATIC elevation.cpp)
target_link_libraries(elevation PUBLIC advapi32)

add_library(applet STATIC
    applet_paths.cpp
    apply_settings.cpp
    control_panel_open.cpp
    dialog.cpp
    edit_dlg.cpp
    folder_browser.cpp
    icon_handle.cpp
    launch.cpp
    main_dialog.cpp
    module.cpp
    pad_dlg_base.cpp
    pad_edit_dlg.cpp
    pad_view_dlg.cpp
    registry_key.cpp
    service_control.cpp
    settings_store.cpp
    view_dlg.cpp
    window_state.cpp)
target_link_libraries(applet PUBLIC applet_core common elevation comctl32 uxtheme shlwapi shell32 ole32 advapi32)

add_library(applet_resources OBJECT qeldcpl.rc ${art_dir}/previews.rc)
set_source_files_properties(qeldcpl.rc PROPERTIES OBJECT_DEPENDS ${art_dir}/previews.rc)
set_source_files_properties(${art_dir}/previews.rc PROPERTIES HEADER_FILE_ONLY ON)
target_include_directories(applet_resources PRIVATE ${art_dir})

add_library(qeldcpl SHARED
    entry_points.cpp
    qeldcpl.def
    qeldcpl_library.rc
    $<TARGET_OBJECTS:applet_resources>)
target_compile_definitions(qeldcpl PRIVATE QELD_BUILDING_APPLET)
target_include_directories(qeldcpl PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_source_files_properties(qeldcpl_library.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/qeldcpl.manifest)
target_link_libraries(qeldcpl PRIVATE applet)
set_target_properties(qeldcpl PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
