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
    # The LeakSanitizer suppressions name only system libraries that keep memory until exit
    # (those Qt loads, for the tests and tools that draw); they change nothing elsewhere.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS "${labels}" TIMEOUT 300
                                    ENVIRONMENT "${QF_QT_TEST_LSAN_OPTIONS}")
    # `qf_tsan_tests` builds just the executables the ThreadSanitizer run needs.
    if("tsan" IN_LIST ARG_LABELS)
        if(NOT TARGET qf_tsan_tests)
            add_custom_target(qf_tsan_tests)
        endif()
        add_dependencies(qf_tsan_tests ${name})
    endif()
endfunction()

# Widget tests. qf_add_widget_test(<name> SOURCES ... LIBS ... [LABELS ...]) is qf_add_test with
# the Qt test main (tests/support_qt/qt_test_main.cpp): one QApplication on the offscreen
# platform, so widget tests run without a display.
# Under AddressSanitizer, leaks that system libraries under Qt (D-Bus, fontconfig) keep until
# the process ends are not ours to report.
set(QF_QT_TEST_LSAN_OPTIONS
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support_qt/lsan.supp")

# Qt's imported targets are visible only in the folder that found them: every folder with
# widget tests finds them again (the macro runs in the caller's scope).
macro(_qf_find_qt_for_tests)
    find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
endmacro()

function(_qf_qt_test_main platform)
    set(target qf_qt_test_main_${platform})
    if(NOT TARGET ${target})
        add_library(${target} STATIC ${CMAKE_SOURCE_DIR}/tests/support_qt/qt_test_main.cpp)
        target_compile_definitions(${target} PRIVATE QF_TEST_QPA_PLATFORM="${platform}")
        target_link_libraries(${target} PUBLIC Qt6::Widgets GTest::gtest)
    endif()
endfunction()

function(qf_add_widget_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    _qf_find_qt_for_tests()
    _qf_qt_test_main(offscreen)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} qf_qt_test_main_offscreen Qt6::Widgets
                          Qt6::Test GTest::gmock GTest::gtest Threads::Threads)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    string(JOIN ":" labels ${ARG_LABELS})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS "${labels}" TIMEOUT 300
                                    ENVIRONMENT "${QF_QT_TEST_LSAN_OPTIONS}")
endfunction()

# X11 tests: qf_add_x11_test(<name> SOURCES ... LIBS ... WHY "<what needs a real X server>"
# [LABELS ...]). The executable runs as one test under its own Xvfb server (xvfb-run -a), with
# the label x11; the lock keeps two X servers from starting at once. Without xvfb-run the test
# is skipped and says why it needs X11.
function(qf_add_x11_test name)
    cmake_parse_arguments(ARG "" "WHY" "SOURCES;LIBS;LABELS" ${ARGN})
    _qf_find_qt_for_tests()
    _qf_qt_test_main(xcb)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} qf_qt_test_main_xcb Qt6::Widgets Qt6::Test
                          GTest::gmock GTest::gtest Threads::Threads)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${name}
             COMMAND sh ${CMAKE_SOURCE_DIR}/tests/support_qt/run_x11_test.sh "${ARG_WHY}"
                     $<TARGET_FILE:${name}>)
    string(JOIN ":" labels x11 ${ARG_LABELS})
    set_tests_properties(${name} PROPERTIES LABELS "${labels}" RESOURCE_LOCK x11
                         SKIP_RETURN_CODE 77 TIMEOUT 120
                         ENVIRONMENT "${QF_QT_TEST_LSAN_OPTIONS}")
endfunction()
