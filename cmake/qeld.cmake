# Helpers shared by the areas' CMakeLists.

# qeld_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [GUI] [WINUSB]
#           [SERIAL <locks...>] [ENVIRONMENT <VAR=value...>])
# A GoogleTest program. In the cross build it runs under Wine; tests labelled
# "gui" need the Xvfb display that the test script starts. SERIAL names a
# resource lock for tests that share machine-wide state (the registry, the
# service database, the virtual tablet bus). WINUSB puts the WinUSB test
# double next to the program and has Wine load it instead of its own stubs.
function(qeld_test)
    cmake_parse_arguments(T "GUI;WINUSB" "NAME" "SOURCES;LIBS;SERIAL;ENVIRONMENT" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
    if(T_WINUSB)
        vtablet_use_winusb(${T_NAME})
        list(APPEND T_ENVIRONMENT "WINEDLLOVERRIDES=winusb=n")
    endif()
    set(props "")
    if(T_GUI)
        list(APPEND props LABELS gui)
    endif()
    if(T_ENVIRONMENT)
        list(APPEND props ENVIRONMENT "${T_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 120 ${props})
    if(T_SERIAL)
        # Discovery hands its properties on as one flat list, which would keep
        # only the first of several locks; ctest reads this file after the
        # discovered tests and gives them all the locks.
        set(locks ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_locks.cmake)
        file(WRITE ${locks} "if(${T_NAME}_TESTS)\n"
             "    set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES RESOURCE_LOCK \"${T_SERIAL}\")\n"
             "endif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${locks})
    endif()
endfunction()
