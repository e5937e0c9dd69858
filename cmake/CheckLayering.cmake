# The include check: every `#include "..."` of our sources must point down the module graph.
#
#   cmake -DSOURCE_DIR=<source root> -P cmake/CheckLayering.cmake
#
# CTest runs it as the test "layering" (tests/CMakeLists.txt). A file belongs to the longest
# module folder of LAYERS its path starts with; tests/<m>/... and bench/<m>/... are the
# tests and benchmarks of module <m>. Every source file (.h, .cpp, .c) must belong to one;
# the fault trees under tests/data are data. An include is resolved next to the including
# file first, then from the source root; includes that resolve to nothing of ours (Qt's moc
# output, generated files) are not checked, and an include that climbs out of a folder
# ("../") is refused: includes name the module they reach.
#
# To add a module: add a line "folder: what it may include" below (in dependency order) and
# give its library project_module_headers(); a module never lists a module above it, and a
# line lists only what the module's own files include, so the table is as tight as the code.

cmake_minimum_required(VERSION 3.25)

set(LAYERS
    "resources:"
    "platform: resources"
    "grid: platform"
    "popup: platform"
    "report/engine/model: platform"
    "report/engine/expressions: report/engine/model platform"
    "report/engine/layout: report/engine/model platform"
    "report/engine/data: report/engine/model platform"
    "report/engine/preparation: report/engine/layout report/engine/expressions report/engine/model platform"
    # The engine library as a whole (its tests and benchmarks): every stage.
    "report/engine: report/engine/preparation report/engine/data report/engine/layout report/engine/expressions report/engine/model"
    "report/print: report/engine/model platform"
    "report/preview: report/print report/engine/model platform"
    "report/export: report/preview report/print report/engine/expressions report/engine/model platform"
    "report/formreport: report/preview report/print report/engine/data report/engine/layout report/engine/expressions report/engine/model grid platform"
    "plugin: platform"
    "archive: plugin report/formreport report/export report/preview report/engine/model grid popup platform"
    "library: archive plugin report/export"
    "host: platform plugin/plugin_abi.h"
    "examples: plugin/plugin_abi.h"
    "tools: report/export report/print report/engine/data report/engine/model platform"
    "fuzz: report/engine/layout report/engine/model platform"
    "tests/support: platform host plugin/plugin_abi.h")

# Tests and benchmarks of a module may use everything below it, the reference host (the
# harness every end-to-end test runs in), the tests' shared support and the test helpers of
# the modules below; benchmarks also the module's own test helpers and the benchmark helpers
# of the modules below.
set(TEST_EXTRAS tests/support host platform plugin/plugin_abi.h)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckLayering: pass -DSOURCE_DIR=<source root>")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(modules "")
foreach(line IN LISTS LAYERS)
    string(REGEX MATCH "^([^:]+):(.*)$" _ "${line}")
    set(module "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" uses)
    separate_arguments(uses UNIX_COMMAND "${uses}")
    list(APPEND modules "${module}")
    set("ALLOWED_${module}" ${uses})
endforeach()

# BELOW_<m>: every module <m> reaches through the table.
foreach(module IN LISTS modules)
    set(reached ${ALLOWED_${module}})
    set(grown TRUE)
    while(grown)
        set(grown FALSE)
        foreach(m IN LISTS reached)
            foreach(next IN LISTS ALLOWED_${m})
                if(NOT next IN_LIST reached)
                    list(APPEND reached "${next}")
                    set(grown TRUE)
                endif()
            endforeach()
        endforeach()
    endwhile()
    # A module made of stage folders (report/engine) is reached with any of its stages, so
    # the tests above may use the test helpers of the whole.
    foreach(m IN LISTS reached)
        foreach(whole IN LISTS modules)
            string(FIND "${m}" "${whole}/" at)
            if(at EQUAL 0 AND NOT whole IN_LIST reached)
                list(APPEND reached "${whole}")
            endif()
        endforeach()
    endforeach()
    set("BELOW_${module}" ${reached})
endforeach()

# The longest module folder `path` lies in ("" for none).
function(module_of path out)
    set(best "")
    string(LENGTH "" bestLength)
    foreach(m IN LISTS modules)
        string(LENGTH "${m}" length)
        string(FIND "${path}/" "${m}/" at)
        if(at EQUAL 0 AND length GREATER bestLength)
            set(best "${m}")
            set(bestLength ${length})
        endif()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()

# The owner of a file: a module, "tests/<m>" or "bench/<m>" (or "" for none), and what it
# may include besides its own folder.
function(owner_of path ownerOut allowedOut)
    set(owner "")
    set(allowed "")
    if(path MATCHES "^(tests|bench)/(.+)$")
        set(kind "${CMAKE_MATCH_1}")
        module_of("${CMAKE_MATCH_2}" tested)
        if(path MATCHES "^tests/support/")
            set(owner tests/support)
            set(allowed ${ALLOWED_tests/support})
        elseif(tested)
            set(owner "${kind}/${tested}")
            set(allowed "${tested}" ${BELOW_${tested}} ${TEST_EXTRAS})
            foreach(below IN LISTS BELOW_${tested})
                list(APPEND allowed "tests/${below}")
                if(kind STREQUAL "bench")
                    list(APPEND allowed "bench/${below}")
                endif()
            endforeach()
            if(kind STREQUAL "bench")
                list(APPEND allowed "tests/${tested}")
            endif()
        endif()
    else()
        module_of("${path}" owner)
        if(owner)
            set(allowed ${ALLOWED_${owner}})
        endif()
    endif()
    set(${ownerOut} "${owner}" PARENT_SCOPE)
    set(${allowedOut} "${allowed}" PARENT_SCOPE)
endfunction()

set(violations 0)
set(checked 0)
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" LIST_DIRECTORIES false
    "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.c")
foreach(file IN LISTS files)
    # Build trees and the repository itself are no sources; the fault trees are data.
    if(file MATCHES "(^|/)(build[^/]*|\\.git)/" OR file MATCHES "^tests/data/")
        continue()
    endif()
    owner_of("${file}" owner allowed)
    if(NOT owner)
        math(EXPR violations "${violations} + 1")
        message("${file}: belongs to no module of the table")
        continue()
    endif()
    get_filename_component(dir "${file}" DIRECTORY)
    file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
        set(name "${CMAKE_MATCH_1}")
        if(name MATCHES "(^|/)\\.\\.(/|$)")
            math(EXPR checked "${checked} + 1")
            math(EXPR violations "${violations} + 1")
            message("${file}: includes \"${name}\", which climbs out of a folder; name the "
                    "module instead")
            continue()
        endif()
        if(dir AND EXISTS "${SOURCE_DIR}/${dir}/${name}")
            set(target "${dir}/${name}")
        elseif(EXISTS "${SOURCE_DIR}/${name}")
            set(target "${name}")
        else()
            continue()
        endif()
        math(EXPR checked "${checked} + 1")
        owner_of("${target}" targetOwner unused)
        if(targetOwner STREQUAL owner OR NOT targetOwner)
            continue()
        endif()
        list(FIND allowed "${targetOwner}" byModule)
        list(FIND allowed "${target}" byFile)
        if(byModule EQUAL -1 AND byFile EQUAL -1)
            math(EXPR violations "${violations} + 1")
            string(REPLACE ";" " " list "${allowed}")
            message("${file}: includes \"${name}\" (${targetOwner}); ${owner} may include "
                    "only its own headers and: ${list}")
        endif()
    endforeach()
endforeach()

if(violations GREATER 0)
    message(FATAL_ERROR "${violations} faults against the layering (${checked} includes checked)")
endif()
message("layering: ${checked} includes checked, all along the module graph")
