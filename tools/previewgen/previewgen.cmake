# qeld_preview_icons(<output folder>): builds the preview generator with the
# host's C++ compiler and runs it, so that the folder holds the icon files and
# the previews.rc that names them. Include this where the resources are
# compiled; a custom command's outputs belong to the folder that declares it.
set(QELD_PREVIEWGEN_DIR ${CMAKE_CURRENT_LIST_DIR})

function(qeld_preview_icons out_dir)
    set(sources canvas.cpp icon_file.cpp main.cpp sample_picture.cpp tablet_drawing.cpp)
    list(TRANSFORM sources PREPEND ${QELD_PREVIEWGEN_DIR}/)
    file(GLOB headers ${QELD_PREVIEWGEN_DIR}/*.h)
    # The icon ids and the size of a preview set are the applet's own.
    list(APPEND headers ${CMAKE_SOURCE_DIR}/applet/core/resource.h ${CMAKE_SOURCE_DIR}/applet/core/preview_key.h)
    set(tool ${CMAKE_CURRENT_BINARY_DIR}/previewgen-host)
    add_custom_command(
        OUTPUT ${tool}
        COMMAND c++ -std=c++20 -O2 -Wall -Wextra -Werror -I${CMAKE_SOURCE_DIR} ${sources} -o ${tool}
        DEPENDS ${sources} ${headers}
        COMMENT "Building the preview generator for the build machine"
        VERBATIM)
    add_custom_command(
        OUTPUT ${out_dir}/previews.rc
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND ${tool} ${out_dir}
        DEPENDS ${tool}
        COMMENT "Drawing the applet's preview pictures"
        VERBATIM)
endfunction()
