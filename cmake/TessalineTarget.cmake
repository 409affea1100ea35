# Per-target build settings shared by every library, program and test of the project.
function(tessaline_target_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(TESSALINE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    # GCC 12's optimizer reports overlapping copies inside std::string's own operator+ that
    # cannot happen (GCC bug 105329), so an optimized build of plain "." + name fails; only
    # that compiler goes without the check.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(TESSALINE_SANITIZE OR TESSALINE_FUZZ)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=all)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
    if(TESSALINE_TSAN)
        target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=thread)
    endif()
    get_target_property(type ${target} TYPE)
    if((TESSALINE_SANITIZE OR TESSALINE_TSAN) AND type STREQUAL "EXECUTABLE")
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/SanitizerSuppressions.cpp)
    endif()
    if(TESSALINE_FUZZ)
        # Coverage for libFuzzer everywhere; only the fuzz programs link its main.
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
endfunction()

# A GoogleTest executable registered with CTest under one label; ENVIRONMENT lists NAME=value
# settings its tests run with.
function(tessaline_test_suite name label)
    cmake_parse_arguments(PARSE_ARGV 2 suite "" "" "ENVIRONMENT")
    add_executable(${name} ${suite_UNPARSED_ARGUMENTS})
    tessaline_target_defaults(${name})
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
    set(properties LABELS ${label})
    if(suite_ENVIRONMENT)
        list(APPEND properties ENVIRONMENT "${suite_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${name} PROPERTIES ${properties} DISCOVERY_TIMEOUT 60)
endfunction()

# A view test (label "ui"): it runs on Qt's offscreen platform, so it needs no display and is
# never skipped for want of one.
function(tessaline_ui_test_suite name)
    tessaline_test_suite(${name} ui ${ARGN} ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    target_link_libraries(${name} PRIVATE Tessaline::UiTestSupport)
endfunction()
