# Shared settings for every target of the project: warnings, strict Qt
# defines, visibility and the optional sanitizers are set once here.

function(velmora_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    target_compile_definitions(${target} PRIVATE
        QT_NO_CAST_FROM_ASCII
        QT_NO_CAST_TO_ASCII
        QT_NO_URL_CAST_FROM_STRING
        QT_NO_CONTEXTLESS_CONNECT
        QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
        QT_USE_QSTRINGBUILDER)
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    if(VELMORA_SANITIZE)
        target_compile_options(${target} PRIVATE
            -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# velmora_add_library(name STATIC|SHARED SOURCES ... LIBS ...)
function(velmora_add_library name kind)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
    add_library(${name} ${kind} ${ARG_SOURCES})
    velmora_target_defaults(${name})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_LIBS})
    if(kind STREQUAL "STATIC")
        set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    endif()
endfunction()

# velmora_add_executable(name SOURCES ... LIBS ...)
function(velmora_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    velmora_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

# velmora_add_test(name SOURCES ... LIBS ... [ENGINE] [X11] [TIMEOUT s] [ENV k=v ...])
# ENGINE marks a suite that starts the real web engine: it runs alone and
# gets the environment the engine needs without a display or sandbox.
# X11 marks a suite that needs real painting and placement: it runs on its
# own X server (xvfb-run) and carries the label x11.
# The environment is compiled into the suite as well, so the executable
# started by hand behaves as under ctest.
find_program(VELMORA_XVFB_RUN xvfb-run)
function(velmora_add_test name)
    cmake_parse_arguments(ARG "ENGINE;X11" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    velmora_target_defaults(${name})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    if(ARG_X11 AND VELMORA_XVFB_RUN)
        add_test(NAME ${name} COMMAND ${VELMORA_XVFB_RUN} -a -s "-screen 0 1280x1024x24"
            $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set(scratch ${CMAKE_BINARY_DIR}/test-home/${name})
    # Where the suite's files go: always these, so no suite touches a real home.
    set(homes
        XDG_CONFIG_HOME=${scratch}/config
        XDG_DATA_HOME=${scratch}/data
        XDG_CACHE_HOME=${scratch}/cache
        HOME=${scratch}/home
        VELMORA_PROGRAM_DIR=${scratch}/program)
    if(ARG_X11)
        set(platform QT_QPA_PLATFORM=xcb)
    else()
        set(platform QT_QPA_PLATFORM=offscreen)
    endif()
    set(defaults
        ${platform}
        VELMORA_SOURCE_DATA=${PROJECT_SOURCE_DIR}/data
        VELMORA_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
        ${ARG_ENV})
    set(asan_options "")
    if(ARG_ENGINE)
        set(asan_options detect_leaks=0:new_delete_type_mismatch=0:alloc_dealloc_mismatch=0)
        list(APPEND defaults
            QTWEBENGINE_DISABLE_SANDBOX=1
            "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking --disable-component-update --renderer-process-limit=12"
            ASAN_OPTIONS=${asan_options})
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
    if(ARG_X11)
        # xvfb-run picks a free display number; two starting at once may pick the same.
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE LABELS x11)
        # The X platform plugin's D-Bus connection is never freed; the same
        # code runs with leak checks in the offscreen suites. A suite that
        # starts the program starts the engine too, with its false reports.
        set(asan_options detect_leaks=0:new_delete_type_mismatch=0:alloc_dealloc_mismatch=0)
        list(APPEND defaults ASAN_OPTIONS=${asan_options})
    endif()
    velmora_compile_test_environment(${name} "${homes}" "${defaults}" "${asan_options}")
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set(env ${homes} ${defaults})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# Writes the C++ table of a suite's environment: forced holds values set at
# every start, defaults values set only when the variable is unset.
function(velmora_compile_test_environment name forced defaults asan_options)
    set(rows "")
    foreach(kind forced defaults)
        if(kind STREQUAL "forced")
            set(always true)
        else()
            set(always false)
        endif()
        foreach(pair IN LISTS ${kind})
            string(FIND "${pair}" "=" eq)
            string(SUBSTRING "${pair}" 0 ${eq} key)
            math(EXPR after "${eq} + 1")
            string(SUBSTRING "${pair}" ${after} -1 value)
            string(APPEND rows "    {\"${key}\", R\"velmora(${value})velmora\", ${always}},\n")
        endforeach()
    endforeach()
    set(asan "")
    if(VELMORA_SANITIZE AND asan_options)
        # ASan reads its options before any constructor runs.
        set(asan "extern \"C\" const char *__asan_default_options()\n{\n    return \"${asan_options}\";\n}\n")
    endif()
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cpp)
    file(CONFIGURE OUTPUT ${file} CONTENT "// Generated: the environment ctest gives ${name}.
#include <QByteArray>
#include <QtGlobal>

namespace {

struct Variable
{
    const char *name;
    const char *value;
    bool always;
};

const Variable variables[] = {
${rows}};

struct SetEnvironment
{
    SetEnvironment()
    {
        // A process the suite starts itself keeps the environment it is given.
        if (qEnvironmentVariableIsSet(\"VELMORA_TEST_ENVIRONMENT\"))
            return;
        for (const Variable &v : variables) {
            if (v.always || !qEnvironmentVariableIsSet(v.name))
                qputenv(v.name, QByteArray(v.value));
        }
        qputenv(\"VELMORA_TEST_ENVIRONMENT\", QByteArray(\"1\"));
    }
};

const SetEnvironment setEnvironment;

} // namespace
${asan}" @ONLY)
    target_sources(${name} PRIVATE ${file})
endfunction()
