# Build settings and helpers shared by every library of the tree.

include(GoogleTest)
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

set(KESTRAVA_WARNINGS -Wall -Wextra)
if(KESTRAVA_WERROR)
    list(APPEND KESTRAVA_WARNINGS -Werror)
endif()

if(KESTRAVA_SANITIZE)
    set(KESTRAVA_SANITIZER_FLAGS
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${KESTRAVA_SANITIZER_FLAGS})
    add_link_options(${KESTRAVA_SANITIZER_FLAGS})
    # The sanitizer runtime refuses libraries opened with RTLD_DEEPBIND.
    add_compile_definitions(KESTRAVA_SANITIZE=1)
endif()

if(KESTRAVA_TSAN)
    if(KESTRAVA_SANITIZE)
        message(FATAL_ERROR "KESTRAVA_TSAN and KESTRAVA_SANITIZE exclude each other")
    endif()
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
    # Its runtime refuses RTLD_DEEPBIND too (libidn, libssl are loaded).
    add_compile_definitions(KESTRAVA_SANITIZE=1)
endif()

if(KESTRAVA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "KESTRAVA_FUZZ needs clang (CXX=clang++)")
    endif()
    # Coverage feedback for the fuzzers from every library they reach.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

find_library(LIBEV_LIBRARY NAMES ev REQUIRED)
find_path(LIBEV_INCLUDE_DIR NAMES ev.h REQUIRED)
add_library(libev INTERFACE IMPORTED)
target_link_libraries(libev INTERFACE ${LIBEV_LIBRARY})
target_include_directories(libev INTERFACE ${LIBEV_INCLUDE_DIR})

# kestrava_library(<target> <alias> SOURCES ... [LIBRARIES ...])
# One static library per folder, with our warnings on.
function(kestrava_library target alias)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    add_library(${alias} ALIAS ${target})
    target_compile_options(${target} PRIVATE ${KESTRAVA_WARNINGS})
    target_link_libraries(${target} PUBLIC ${ARG_LIBRARIES})
endfunction()

# kestrava_tests(<binary> SOURCES ... [LIBRARIES ...] [LABELS ...] [PROPERTIES ...])
# One GoogleTest binary per library; every test case becomes a CTest test.
function(kestrava_tests binary)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS;PROPERTIES" ${ARGN})
    add_executable(${binary} ${ARG_SOURCES})
    target_compile_options(${binary} PRIVATE ${KESTRAVA_WARNINGS})
    target_link_libraries(${binary} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
    set(properties ${ARG_PROPERTIES})
    if(ARG_LABELS)
        list(APPEND properties LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(${binary}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${properties})
endfunction()

# kestrava_benchmark(<binary> SOURCES ... [LIBRARIES ...])
function(kestrava_benchmark binary)
    if(NOT KESTRAVA_BENCHMARKS)
        return()
    endif()
    find_package(benchmark REQUIRED)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${binary} ${ARG_SOURCES})
    target_compile_options(${binary} PRIVATE ${KESTRAVA_WARNINGS})
    target_link_libraries(${binary} PRIVATE ${ARG_LIBRARIES} benchmark::benchmark)
endfunction()

# kestrava_fuzzer(<binary> SOURCES ... [LIBRARIES ...] [CORPUS dir] [SECONDS n]
#                 [INPUT_SECONDS n])
# A libFuzzer target, also run for a bounded time as a CTest test; with
# INPUT_SECONDS an input that runs longer fails as a hang.
function(kestrava_fuzzer binary)
    cmake_parse_arguments(ARG "" "CORPUS;SECONDS;INPUT_SECONDS" "SOURCES;LIBRARIES" ${ARGN})
    if(NOT ARG_SECONDS)
        set(ARG_SECONDS 60)
    endif()
    # With fewer than four cores the fuzzers share them with every other
    # test, so each fuzzes half as long and the whole run keeps its budget.
    cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
    if(cores LESS 4)
        math(EXPR ARG_SECONDS "(${ARG_SECONDS} + 1) / 2")
    endif()
    set(limit)
    if(ARG_INPUT_SECONDS)
        set(limit -timeout=${ARG_INPUT_SECONDS})
    endif()
    add_executable(${binary} ${ARG_SOURCES})
    target_compile_options(${binary} PRIVATE -fsanitize=fuzzer ${KESTRAVA_WARNINGS})
    target_link_options(${binary} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${binary} PRIVATE ${ARG_LIBRARIES})
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${binary}-corpus)
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${binary}
        COMMAND ${binary} -max_total_time=${ARG_SECONDS} ${limit} -print_final_stats=1 ${work}
                ${ARG_CORPUS})
    set_tests_properties(${binary} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()
