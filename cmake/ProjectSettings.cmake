# Compiler settings shared by every target of the project.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_C_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
    set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
# Everything is hidden by default; the plug-in exports its two entry points explicitly.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_compile_options(-Wall -Wextra)
if(PROJECT_WARNINGS_AS_ERRORS)
    add_compile_options(-Werror)
endif()

# Qt deprecations are errors so that the code stays on the Qt 6 API.
add_compile_definitions(QT_DISABLE_DEPRECATED_UP_TO=0x060400 QT_NO_KEYWORDS)

# Exposes the headers under `path` (a module's folder, or one header, relative to the source
# root) to `target` and to the targets that link it, and nothing else of the source tree:
# an include root of the target's own in the build tree holds `path` as a link under the
# same relative name, so the sources keep including "grid/GridControl.h".
#   project_module_headers(grid grid)
#   project_module_headers(plugin_abi plugin/plugin_abi.h)
function(project_module_headers target path)
    set(root "${PROJECT_BINARY_DIR}/include/${target}")
    get_filename_component(parent "${root}/${path}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${path}" "${root}/${path}" SYMBOLIC)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE "${root}")
    else()
        target_include_directories(${target} PUBLIC "${root}")
    endif()
endfunction()

# Adds a GoogleTest executable for one module's tests and registers it with CTest.
#   project_add_test(NAME name SOURCES ... LIBS ... [LOCKS resource ...] [FIXTURES name ...])
# LOCKS names machine-wide resources (such as a named shared-memory block) that the tests
# use, so that CTest never runs two of them at the same time. FIXTURES names CTest fixtures
# the tests need (such as the PostgreSQL cluster "pg_cluster"), started before them.
function(project_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS;LOCKS;FIXTURES" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE test_support ${ARG_LIBS})
    set(properties ENVIRONMENT_MODIFICATION "${PROJECT_TEST_ENVIRONMENT}")
    if(ARG_LOCKS)
        list(APPEND properties RESOURCE_LOCK "${ARG_LOCKS}")
    endif()
    if(ARG_FIXTURES)
        list(APPEND properties FIXTURES_REQUIRED "${ARG_FIXTURES}")
    endif()
    gtest_discover_tests(${ARG_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${properties})
endfunction()
