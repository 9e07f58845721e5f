# qf_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# The label tsan marks tests that CI also runs under ThreadSanitizer.
# One GoogleTest executable; its tests are registered with CTest one by one.
function(qf_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    # The discovered tests' properties lose list separators on their way to set_tests_properties,
    # so the labels are joined into one (device:tsan); `ctest -L` takes a regular expression, so
    # `ctest -L tsan` and `ctest -L device` both select it.
    string(JOIN ":" labels ${ARG_LABELS})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS "${labels}" TIMEOUT 300)
    # `qf_tsan_tests` builds just the executables the ThreadSanitizer run needs.
    if("tsan" IN_LIST ARG_LABELS)
        if(NOT TARGET qf_tsan_tests)
            add_custom_target(qf_tsan_tests)
        endif()
        add_dependencies(qf_tsan_tests ${name})
    endif()
endfunction()
