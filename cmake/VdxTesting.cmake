# Test registration shared by every test folder.
#
# Native builds run tests directly. The win64 build runs them under Wine
# through a wrapper script (scripts/wine-run.sh) that uses a prefix inside
# the build tree; a ctest fixture prepares that prefix and keeps one
# wineserver alive for the whole run.

enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)

if(WIN32 AND CMAKE_CROSSCOMPILING AND VDX_RUN_TESTS)
    set(VDX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
    add_test(NAME wine.start COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh start)
    add_test(NAME wine.stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh stop)
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine
        ENVIRONMENT "VDX_WINEPREFIX=${VDX_WINEPREFIX}")
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine
        ENVIRONMENT "VDX_WINEPREFIX=${VDX_WINEPREFIX}")
endif()

# vdx_add_test(<name> SOURCES <files...> [LIBS <targets...>] [WINDOWS_ONLY]
#              [ENV <VAR=value...>] [TIMEOUT <seconds>] [RUN_SERIAL])
#
# One gtest program, one ctest entry. WINDOWS_ONLY tests are skipped by the
# native build. Test programs find their data through VDX_SOURCE_DIR and
# VDX_BINARY_DIR (Windows paths under Wine: Z:\...).
function(vdx_add_test name)
    cmake_parse_arguments(T "WINDOWS_ONLY;RUN_SERIAL" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    if(T_WINDOWS_ONLY AND NOT WIN32)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    if(NOT VDX_RUN_TESTS)
        return() # built (the 32-bit build must compile everything) but not run
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set(env "VDX_SOURCE_DIR=${CMAKE_SOURCE_DIR}" "VDX_BINARY_DIR=${CMAKE_BINARY_DIR}" ${T_ENV})
    if(WIN32 AND CMAKE_CROSSCOMPILING)
        list(APPEND env "VDX_WINEPREFIX=${VDX_WINEPREFIX}")
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    if(T_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
    if(T_RUN_SERIAL)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL ON)
    endif()
endfunction()
