# lumivex_add_test(<name> SOURCES <files...> LIBS <targets...> [SERIAL] [XVFB] [XVFB_SCREEN <w>x<h>x<depth>])
#
# Builds one Qt Test executable and registers it with CTest. Every test runs
# headless on the offscreen platform, with a fixed locale, in its own working
# folder below the build tree so that settings files never land in the sources.
# Each test is labelled with its subsystem folder, so `ctest -L storage` runs one
# subsystem's tests. An XVFB test runs on a virtual X server of its own, for
# real windows that must be grabbed from the screen; such tests start first,
# as they take longest.
#
# The time limits are ceilings for a machine kept busy by other builds, where a
# test may take several times as long as on an idle one; a test that passes
# never waits for them. QTEST_FUNCTION_TIMEOUT is Qt Test's own limit for one
# test function (5 minutes by default), raised with CTest's.
set(LUMIVEX_TEST_TIMEOUT 1800 CACHE STRING "Seconds one test program may run")
math(EXPR LUMIVEX_TEST_FUNCTION_TIMEOUT_MS "${LUMIVEX_TEST_TIMEOUT} * 1000")
function(lumivex_add_test name)
    cmake_parse_arguments(ARG "SERIAL;XVFB" "XVFB_SCREEN" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_XVFB_SCREEN)
        set(ARG_XVFB_SCREEN 1600x1000x24)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} lumivex_resources Qt5::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_BINARY_DIR}/tests)
    set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
    file(MAKE_DIRECTORY ${workdir})
    set(platform offscreen)
    set(command ${name})
    if(ARG_XVFB)
        set(platform xcb)
        set(command xvfb-run -a -s "-screen 0 ${ARG_XVFB_SCREEN}" $<TARGET_FILE:${name}>)
    endif()
    add_test(NAME ${name} COMMAND ${command} WORKING_DIRECTORY ${workdir})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=${platform};LANG=C.UTF-8;LC_ALL=C.UTF-8;QT_LOGGING_RULES=*.debug=true;QTEST_FUNCTION_TIMEOUT=${LUMIVEX_TEST_FUNCTION_TIMEOUT_MS};${LUMIVEX_SANITIZER_ENVIRONMENT}"
        TIMEOUT ${LUMIVEX_TEST_TIMEOUT})
    if(ARG_SERIAL)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
    if(ARG_XVFB)
        set_tests_properties(${name} PROPERTIES COST 1000)
    endif()
    get_filename_component(subsystem ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set_tests_properties(${name} PROPERTIES LABELS ${subsystem})
endfunction()

# lumivex_add_bench(<name> SOURCES <files...> LIBS <targets...>)
#
# A benchmark is a plain program that prints its figures; `make bench` runs them all.
function(lumivex_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} lumivex_resources)
    set_property(GLOBAL APPEND PROPERTY LUMIVEX_BENCHMARKS ${name})
endfunction()
