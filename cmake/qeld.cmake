# Helpers shared by the areas' CMakeLists.

# qeld_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [GUI] [SERIAL <locks...>]
#           [ENVIRONMENT <VAR=value...>])
# A GoogleTest program. In the cross build it runs under Wine; tests labelled
# "gui" need the Xvfb display that the test script starts. SERIAL names a
# resource lock for tests that share machine-wide state (the registry, the
# service database, the virtual tablet bus).
function(qeld_test)
    cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS;SERIAL;ENVIRONMENT" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
    set(props "")
    if(T_GUI)
        list(APPEND props LABELS gui)
    endif()
    if(T_SERIAL)
        list(APPEND props RESOURCE_LOCK "${T_SERIAL}")
    endif()
    if(T_ENVIRONMENT)
        list(APPEND props ENVIRONMENT "${T_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 120 ${props})
endfunction()
