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

# velmora_add_test(name SOURCES ... LIBS ... [ENGINE] [TIMEOUT s] [ENV k=v ...])
# ENGINE marks a suite that starts the real web engine: it runs alone and
# gets the environment the engine needs without a display or sandbox.
function(velmora_add_test name)
    cmake_parse_arguments(ARG "ENGINE" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    velmora_target_defaults(${name})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set(scratch ${CMAKE_BINARY_DIR}/test-home/${name})
    set(env
        QT_QPA_PLATFORM=offscreen
        XDG_CONFIG_HOME=${scratch}/config
        XDG_DATA_HOME=${scratch}/data
        XDG_CACHE_HOME=${scratch}/cache
        HOME=${scratch}/home
        VELMORA_PROGRAM_DIR=${scratch}/program
        VELMORA_SOURCE_DATA=${PROJECT_SOURCE_DIR}/data
        VELMORA_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
        ${ARG_ENV})
    if(ARG_ENGINE)
        list(APPEND env
            QTWEBENGINE_DISABLE_SANDBOX=1
            "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking --disable-component-update --renderer-process-limit=12"
            ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0:alloc_dealloc_mismatch=0)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
endfunction()
