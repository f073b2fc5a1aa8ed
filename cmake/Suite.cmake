# Shared build helpers of the suite: warnings, Qt definitions, tests.

# Warnings and Qt's safety switches, per target (no global flags).
function(suite_target_defaults target)
    # GCC 12 reports std::variant members built from initializer lists as maybe
    # uninitialized at -O2; the warning is a known false positive there.
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wnon-virtual-dtor -Woverloaded-virtual
        $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
    target_compile_definitions(${target} PRIVATE
        QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
endfunction()

# suite_add_test(NAME <name> SOURCES <files> LIBS <libs> [QT_APP] [GUI] [DBUS] [UMOCKDEV]
#                [ENV <k=v>...] [CASES <files>])
# One GoogleTest executable registered with CTest. QT_APP tests get a
# QCoreApplication for the whole run, GUI tests a QApplication under xvfb-run;
# D-Bus tests run under their own dbus-run-session. UMOCKDEV tests run under
# umockdev-wrapper, whose preload lets the test mock /sys and /dev in-process.
# CASES makes a golden-file runner: each case file becomes a CTest test of its own,
# <name>.<case>, running the parameterised tests named after it (the file's base name as
# MAKE_C_IDENTIFIER writes it); <name> runs the tests that take no case.
function(suite_add_test)
    cmake_parse_arguments(T "QT_APP;GUI;DBUS;UMOCKDEV" "NAME;TIMEOUT" "SOURCES;LIBS;ENV;CASES" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    suite_target_defaults(${T_NAME})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
    if(T_GUI OR T_QT_APP)
        target_sources(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/platform/testing/qt_test_main.cpp)
        if(T_GUI)
            target_compile_definitions(${T_NAME} PRIVATE SUITE_TEST_GUI)
            target_link_libraries(${T_NAME} PRIVATE Qt6::Widgets)
        endif()
    else()
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    set(command $<TARGET_FILE:${T_NAME}>)
    if(T_UMOCKDEV)
        pkg_check_modules(UMOCKDEV REQUIRED IMPORTED_TARGET umockdev-1.0)
        target_link_libraries(${T_NAME} PRIVATE PkgConfig::UMOCKDEV)
        set(command umockdev-wrapper ${command})
    endif()
    if(T_DBUS)
        set(command dbus-run-session -- ${command})
    endif()
    if(T_GUI)
        set(command xvfb-run -a -s "-screen 0 1280x800x24" ${command})
    endif()
    set(tests ${T_NAME})
    if(T_CASES)
        add_test(NAME ${T_NAME} COMMAND ${command} --gtest_filter=-*/*)
        foreach(case_file IN LISTS T_CASES)
            get_filename_component(case ${case_file} NAME_WE)
            string(MAKE_C_IDENTIFIER ${case} case)
            add_test(NAME ${T_NAME}.${case} COMMAND ${command} --gtest_filter=*/${case})
            list(APPEND tests ${T_NAME}.${case})
        endforeach()
    else()
        add_test(NAME ${T_NAME} COMMAND ${command})
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${tests} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_ENV)
        set_tests_properties(${tests} PROPERTIES ENVIRONMENT "${T_ENV}")
    endif()
    if(T_UMOCKDEV)
        # The preload comes before the sanitizers' runtime, which then only has to allow it
        # (the value after "string_append:" starts with the options' separator).
        set_tests_properties(${tests} PROPERTIES ENVIRONMENT_MODIFICATION
                             "ASAN_OPTIONS=string_append::verify_asan_link_order=0")
    endif()
endfunction()

# suite_add_program(<Name> SOURCES <files> LIBS <libs> [RESOURCES <folder>])
# One deliverable, built into build/bin/<Name> and installed into bin/. RESOURCES
# names the program's source folder ("voltaro"); its resources/ are installed
# where platform::Resources finds them, share/notebook-suite/<folder>.
function(suite_add_program name)
    cmake_parse_arguments(P "" "RESOURCES" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${P_SOURCES})
    suite_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${P_LIBS})
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(P_RESOURCES)
        install(DIRECTORY ${PROJECT_SOURCE_DIR}/${P_RESOURCES}/resources/
                DESTINATION ${CMAKE_INSTALL_DATADIR}/notebook-suite/${P_RESOURCES})
    endif()
endfunction()

# suite_add_gui_e2e_test(NAME <name> SCRIPT <file.py> PROGRAM <target> [TRAY] [NOTIFICATIONS]
#                        [ENV <k=v>...] [TIMEOUT <seconds>])
# An end-to-end test of a windowed program: the Python script runs inside a private desktop
# session (tests/gui/gui_session.py: Xvfb, session and accessibility buses, optionally a tray
# host and a notification recorder) and drives the program, whose path it reads from
# GUI_TEST_PROGRAM, through the accessibility tree (tests/gui/guitest.py).
function(suite_add_gui_e2e_test)
    cmake_parse_arguments(T "TRAY;NOTIFICATIONS" "NAME;SCRIPT;PROGRAM;TIMEOUT" "ENV" ${ARGN})
    # Debian's accessibility bindings live in the system Python, whatever python3 PATH finds.
    find_program(SUITE_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
    set(session ${PROJECT_SOURCE_DIR}/tests/gui/gui_session.py)
    set(options)
    if(T_TRAY)
        list(APPEND options --tray)
    endif()
    if(T_NOTIFICATIONS)
        list(APPEND options --notifications)
    endif()
    get_filename_component(script ${T_SCRIPT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    add_test(NAME ${T_NAME}
             COMMAND ${SUITE_SYSTEM_PYTHON} ${session} ${options} --
                     ${SUITE_SYSTEM_PYTHON} ${script})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "GUI_TEST_PROGRAM=$<TARGET_FILE:${T_PROGRAM}>;${T_ENV}")
endfunction()
