# vtablet_kernel_image(NAME <file.sys> SOURCES <files...> LIBS <-lname...>)
# A kernel-mode driver image. Built with its own compiler and linker flags
# (freestanding, no runtime, native subsystem, DriverEntry as entry point)
# outside CMake's normal targets, so the program flags of the cross build
# never reach it. It must import only from kernel modules: an image that
# imports a user-mode DLL is loaded by Wine as an ordinary DLL.
set(VTABLET_KERNEL_FLAGS
    -std=c++20 -O2 -Wall -Wextra -Werror -ffreestanding -fno-exceptions -fno-rtti
    -fno-threadsafe-statics -fno-stack-protector -fno-stack-check -mno-stack-arg-probe
    -D_KERNEL_MODE -DUNICODE -isystem /usr/share/mingw-w64/include/ddk -I${CMAKE_SOURCE_DIR})

function(vtablet_kernel_image)
    cmake_parse_arguments(K "" "NAME" "SOURCES;LIBS" ${ARGN})
    set(objects "")
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/kernel)
    foreach(source ${K_SOURCES})
        get_filename_component(stem ${source} NAME_WE)
        set(object ${CMAKE_CURRENT_BINARY_DIR}/kernel/${K_NAME}.${stem}.o)
        add_custom_command(
            OUTPUT ${object}
            COMMAND ${CMAKE_CXX_COMPILER} ${VTABLET_KERNEL_FLAGS} -MD -MF ${object}.d -c
                    ${CMAKE_CURRENT_SOURCE_DIR}/${source} -o ${object}
            DEPENDS ${source} DEPFILE ${object}.d
            COMMENT "Compiling ${source} for ${K_NAME}" VERBATIM)
        list(APPEND objects ${object})
    endforeach()
    add_custom_command(
        OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${K_NAME}
        COMMAND ${CMAKE_CXX_COMPILER} -shared -nostdlib -nostartfiles -Wl,--subsystem,native
                -Wl,--entry,DriverEntry -o ${CMAKE_CURRENT_BINARY_DIR}/${K_NAME} ${objects}
                ${K_LIBS} -lgcc
        DEPENDS ${objects}
        COMMENT "Linking kernel image ${K_NAME}" VERBATIM)
    string(REPLACE "." "_" target vtablet_${K_NAME})
    add_custom_target(${target} ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${K_NAME})
endfunction()
