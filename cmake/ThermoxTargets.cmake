# Helpers that keep the per-folder CMakeLists short and uniform.

# thermox_add_subsystem(<name> [SHARED] [SOURCES ...] [DEPENDS ...])
# One library per subsystem; the program and the tests link the same targets.
# Libraries are static unless SHARED is given. Product code is built with the
# strict string-cast defines.
function(thermox_add_subsystem name)
    cmake_parse_arguments(ARG "SHARED" "" "SOURCES;DEPENDS" ${ARGN})
    if(NOT ARG_SOURCES)
        # A subsystem with no code yet: dependants already link it by name.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
        return()
    endif()
    if(ARG_SHARED)
        add_library(${name} SHARED ${ARG_SOURCES})
    else()
        add_library(${name} STATIC ${ARG_SOURCES})
    endif()
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_compile_definitions(${name} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    if(THERMOX_FUZZ)
        # Coverage feedback for the fuzz targets, which link these libraries.
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
endfunction()

# thermox_add_fuzzer(<name> SOURCES ... [DEPENDS ...])
# With THERMOX_FUZZ, a libFuzzer executable run by hand, e.g.
# <name> -max_total_time=600 [corpus folder] <name>_seeds.
# Otherwise a test, tst_<name>_seeds, that runs the target once on each
# input of the folder <name>_seeds beside its sources.
function(thermox_add_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    if(THERMOX_FUZZ)
        add_executable(${name} ${ARG_SOURCES})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
        return()
    endif()
    set(test tst_${name}_seeds)
    thermox_add_test(${test} SOURCES ${CMAKE_SOURCE_DIR}/tests/fuzzseeds.cpp ${ARG_SOURCES}
        DEPENDS ${ARG_DEPENDS})
    target_compile_definitions(${test} PRIVATE
        FUZZ_SEEDS_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${name}_seeds")
endfunction()

# thermox_add_test(<name> SOURCES ... [DEPENDS ...] [ENVIRONMENT ...] [LABELS ...])
# A QtTest executable run by CTest without a display, in its own HOME so that
# settings, data and log files never touch a real user's files.
function(thermox_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;ENVIRONMENT;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${ARG_DEPENDS})
    add_test(NAME ${name} COMMAND ${name})
    thermox_test_environment(${name} ${ARG_ENVIRONMENT})
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()

# Gives a registered test its private HOME and the sanitizer/display settings.
function(thermox_test_environment test)
    set(home ${CMAKE_BINARY_DIR}/test-home/${test})
    # Local sockets live in the runtime folder, and a socket path has room
    # for about 100 bytes: keep it short whatever folder the build is in.
    string(MD5 buildHash "${CMAKE_BINARY_DIR}")
    string(SUBSTRING "${buildHash}" 0 8 buildHash)
    set(runtimeRoot /tmp/thermox-tests-${buildHash})
    set(runtime ${runtimeRoot}/${test})
    file(MAKE_DIRECTORY ${home} ${runtime})
    file(CHMOD ${runtimeRoot} ${runtime} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    set_tests_properties(${test} PROPERTIES
        TIMEOUT 120
        ENVIRONMENT "HOME=${home};XDG_RUNTIME_DIR=${runtime};XDG_DATA_HOME=${home}/.local/share;XDG_CONFIG_HOME=${home}/.config;TMPDIR=${home};QT_QPA_PLATFORM=offscreen;QT_QUICK_BACKEND=software;DBUS_SESSION_BUS_ADDRESS=unix:path=${home}/no-session-bus;ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;${ARGN}")
endfunction()

# thermox_install_plugin(<target> [DEMO])
# Installs a BLE plug-in, the scanner program, or a library loaded into the
# program, into the program's own library folder, where the program looks for
# its plug-ins (THERMOX_INSTALL_PRIVATEDIR, e.g. lib/thermox). Its run-time
# search path finds the program's private shared library there. With DEMO,
# the target goes into the subfolder "demo" of the component "demo", which a
# plain install leaves out: virtual machines never replace real ones by
# accident. A new plug-in's CMakeLists only adds: thermox_install_plugin(<target>)
function(thermox_install_plugin target)
    cmake_parse_arguments(ARG "DEMO" "" "" ${ARGN})
    set(destination ${THERMOX_INSTALL_PRIVATEDIR})
    set(component COMPONENT ${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME})
    set(searchPath "$ORIGIN")
    if(NOT ARG_DEMO)
        # The install test checks that each of them lands where the program looks.
        set_property(GLOBAL APPEND PROPERTY THERMOX_INSTALLED_PLUGINS ${target})
    else()
        string(APPEND destination /demo)
        set(component COMPONENT demo EXCLUDE_FROM_ALL)
        set(searchPath "$ORIGIN/..")
    endif()
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${searchPath}")
    install(TARGETS ${target}
        LIBRARY DESTINATION ${destination} ${component}
        RUNTIME DESTINATION ${destination} ${component})
endfunction()
