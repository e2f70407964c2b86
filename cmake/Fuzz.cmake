# The fuzz targets of fuzz/, built by clang with libFuzzer as a project of their own (the
# rest of the native build keeps its compiler), and one test per target that runs every
# input of its seed corpus and its crash regressions once, without fuzzing. Without clang
# or its libFuzzer runtime the native build goes on without them.
option(MORVEL_FUZZ "Build the fuzz targets with clang's libFuzzer and replay their corpora as tests" ON)
if(NOT MORVEL_FUZZ)
    return()
endif()

find_program(MORVEL_FUZZ_CXX NAMES clang++ clang++-16 clang++-15 clang++-14)
if(NOT MORVEL_FUZZ_CXX)
    message(STATUS "Fuzz targets: no clang++, skipped")
    return()
endif()

# Does this clang link a libFuzzer target with the sanitizers the targets use?
set(probe_dir ${CMAKE_BINARY_DIR}/fuzz-probe)
file(WRITE ${probe_dir}/probe.cpp
     "#include <cstddef>\n#include <cstdint>\n"
     "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n")
execute_process(COMMAND ${MORVEL_FUZZ_CXX} -fsanitize=fuzzer,address,undefined ${probe_dir}/probe.cpp
                        -o ${probe_dir}/probe
                RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
if(NOT probe_result EQUAL 0)
    message(STATUS "Fuzz targets: ${MORVEL_FUZZ_CXX} cannot link libFuzzer (libclang-rt-14-dev on Debian), skipped")
    return()
endif()
message(STATUS "Fuzz targets: built with ${MORVEL_FUZZ_CXX}")

include(ExternalProject)
file(STRINGS ${CMAKE_SOURCE_DIR}/fuzz/targets.txt fuzz_targets)
set(fuzz_binaries)
foreach(t ${fuzz_targets})
    list(APPEND fuzz_binaries ${CMAKE_BINARY_DIR}/fuzz/fuzz_${t})
endforeach()
ExternalProject_Add(fuzz_targets
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/fuzz
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${MORVEL_FUZZ_CXX} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${fuzz_binaries})

foreach(t ${fuzz_targets})
    set(inputs ${CMAKE_SOURCE_DIR}/fuzz/corpus/${t})
    if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/fuzz/regressions/${t})
        list(APPEND inputs ${CMAKE_SOURCE_DIR}/fuzz/regressions/${t})
    endif()
    # -runs=0: each input of the directories once, and no fuzzing after them.
    add_test(NAME fuzz_replay_${t}
             COMMAND ${CMAKE_BINARY_DIR}/fuzz/fuzz_${t} -runs=0 -timeout=20 -rss_limit_mb=2048
                     -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz/replay-${t}- ${inputs}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endforeach()
