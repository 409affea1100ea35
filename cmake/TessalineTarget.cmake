# Per-target build settings shared by every library, program and test of the project.
function(tessaline_target_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(TESSALINE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(TESSALINE_SANITIZE OR TESSALINE_FUZZ)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=all)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
    if(TESSALINE_FUZZ)
        # Coverage for libFuzzer everywhere; only the fuzz programs link its main.
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
endfunction()

# A GoogleTest executable registered with CTest under one label.
function(tessaline_test_suite name label)
    add_executable(${name} ${ARGN})
    tessaline_target_defaults(${name})
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 60)
endfunction()
