# Project-wide target helpers. Every subsystem's CMakeLists is written once and read by both builds:
# the Windows cross build makes everything, the native build (OC_NATIVE) only what is marked PORTABLE.

set(OC_PROGRAM_DIR ${CMAKE_BINARY_DIR}/Overcoat CACHE INTERNAL "assembled program folder")
set(OC_TEST_DIR ${CMAKE_BINARY_DIR}/tests CACHE INTERNAL "test executables")

# The program folder as a Windows path, for tests that run under Wine (drive Z: maps to /).
# Backslashes doubled: the value becomes a C string literal through a compile definition.
string(REPLACE "/" "\\\\" _oc_win_dir "${OC_PROGRAM_DIR}")
set(OC_PROGRAM_DIR_WIN "Z:${_oc_win_dir}" CACHE INTERNAL "program folder as Wine sees it (escaped)")

function(_oc_skip out)
    set(${out} FALSE PARENT_SCOPE)
    if(OC_NATIVE AND NOT ARG_PORTABLE)
        set(${out} TRUE PARENT_SCOPE)
    endif()
endfunction()

# oc_library(<name> [PORTABLE] SOURCES ... [DEPS ...] [INCLUDES ...])
function(oc_library name)
    cmake_parse_arguments(ARG "PORTABLE" "" "SOURCES;DEPS;INCLUDES" ${ARGN})
    _oc_skip(skip)
    if(skip)
        return()
    endif()
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${ARG_INCLUDES})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# oc_test(<name> [PORTABLE] [PARALLEL] SOURCES ... [DEPS ...] [TIMEOUT s])
# One executable and one ctest entry: every Wine start costs time, so a test file groups a whole area.
# Under Wine every test runs alone unless marked PARALLEL: windows of two test processes on one display
# take focus and activation from each other. PARALLEL is for tests that open no windows.
function(oc_test name)
    cmake_parse_arguments(ARG "PORTABLE;PARALLEL" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
    _oc_skip(skip)
    if(skip)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE oc_testsupport ${ARG_DEPS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${OC_TEST_DIR})
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no WORKING_DIRECTORY ${OC_TEST_DIR})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "OC_BUILD_DIR=${CMAKE_BINARY_DIR};OC_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    if(NOT OC_NATIVE)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
        if(NOT ARG_PARALLEL)
            set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
        endif()
        add_dependencies(${name} oc_program)
    endif()
endfunction()

# oc_fuzzer(<name> SOURCES ... [DEPS ...] [SECONDS n]): a libFuzzer target (native build only),
# run by ctest for a bounded time through scripts/fuzz-run.sh (seeds, dictionary: fuzz/targets.tsv).
function(oc_fuzzer name)
    cmake_parse_arguments(ARG "" "SECONDS" "SOURCES;DEPS" ${ARGN})
    if(NOT OC_NATIVE OR NOT OC_FUZZ)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    # SECONDS caps a target's CI run below OC_FUZZ_SECONDS.
    set(seconds ${OC_FUZZ_SECONDS})
    if(ARG_SECONDS AND ARG_SECONDS LESS OC_FUZZ_SECONDS)
        set(seconds ${ARG_SECONDS})
    endif()
    add_test(NAME ${name}
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz-run.sh $<TARGET_FILE:${name}>
                ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name} ${seconds})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS fuzz)
endfunction()

# oc_program_binary(<target> <subfolder>): places an .exe or .dll where the installed program expects it.
function(oc_program_binary target subdir)
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${OC_PROGRAM_DIR}/${subdir}
        LIBRARY_OUTPUT_DIRECTORY ${OC_PROGRAM_DIR}/${subdir})
    add_dependencies(oc_program ${target})
endfunction()
