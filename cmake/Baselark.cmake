# Shared compile settings and helpers for every Baselark target.

add_library(baselark_options INTERFACE)
target_compile_options(baselark_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
target_compile_definitions(baselark_options INTERFACE
    QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_STRICT_ITERATORS)
if(BASELARK_WERROR)
    target_compile_options(baselark_options INTERFACE -Werror)
endif()
if(BASELARK_SANITIZE)
    target_compile_options(baselark_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(baselark_options INTERFACE -fsanitize=address,undefined)
endif()

# A static library for one folder under src/ (or tools/): every .cpp in it.
function(baselark_add_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC baselark_options ${ARG_LIBS})
endfunction()

# One QtTest executable per unit. WRAPPER runs it inside another command
# (for example dbus-run-session for a private session bus).
function(baselark_add_qtest name)
    cmake_parse_arguments(ARG "GUI;XCB" "" "SOURCES;LIBS;WRAPPER;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE baselark_options Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_compile_definitions(${name} PRIVATE
        BASELARK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        BASELARK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        BASELARK_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${ARG_WRAPPER} $<TARGET_FILE:${name}>)
    set(env "LC_ALL=C.UTF-8" "TZ=America/New_York" ${ARG_ENV})
    if(NOT ARG_XCB)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
