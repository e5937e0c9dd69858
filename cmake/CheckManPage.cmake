# The manual-page check: a program's manual page names exactly the long options its --help
# lists, no option fewer and none the program lacks, and (given VERSION) its title line names
# that version of the project.
#
#   cmake -DPROGRAM=<program> -DMANPAGE=<page.1> [-DVERSION=<x.y>] -P cmake/CheckManPage.cmake
#
# CTest runs it for hsdwhost and rmtool (tests/CMakeLists.txt). Options count wherever they
# are named: in the help's option list and descriptions, anywhere in the page's source.

cmake_minimum_required(VERSION 3.25)

if(NOT PROGRAM OR NOT MANPAGE)
    message(FATAL_ERROR "CheckManPage: pass -DPROGRAM=<program> -DMANPAGE=<page.1>")
endif()

execute_process(COMMAND "${PROGRAM}" --help
    OUTPUT_VARIABLE help ERROR_VARIABLE helpErrors RESULT_VARIABLE status TIMEOUT 60)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${status}): ${helpErrors}")
endif()
string(REGEX MATCHALL "--[a-z][a-z0-9-]*" helpOptions "${help}")
list(REMOVE_DUPLICATES helpOptions)
if(NOT helpOptions)
    message(FATAL_ERROR "${PROGRAM} --help lists no options:\n${help}")
endif()

# roff: \- is a hyphen, \fB ... \fR switch fonts, \& is nothing.
file(READ "${MANPAGE}" page)
string(REGEX REPLACE "\\\\f[BIRP]" "" page "${page}")
string(REPLACE "\\&" "" page "${page}")
string(REPLACE "\\-" "-" page "${page}")
string(REGEX MATCHALL "--[a-z][a-z0-9-]*" pageOptions "${page}")
list(REMOVE_DUPLICATES pageOptions)

set(missing ${helpOptions})
list(REMOVE_ITEM missing ${pageOptions})
set(extra ${pageOptions})
list(REMOVE_ITEM extra ${helpOptions})
get_filename_component(name "${MANPAGE}" NAME)
if(missing OR extra)
    string(REPLACE ";" " " missing "${missing}")
    string(REPLACE ";" " " extra "${extra}")
    message(FATAL_ERROR "${name} and --help differ: missing from the page: ${missing}; "
                        "not listed by --help: ${extra}")
endif()
if(VERSION)
    string(REPLACE "." "\\." versionPattern "${VERSION}")
    if(NOT page MATCHES "(^|\n)\\.TH [^\n]*\"hsdwarchive ${versionPattern}\"")
        message(FATAL_ERROR "${name}: the .TH line must name \"hsdwarchive ${VERSION}\", the "
                            "project's version")
    endif()
endif()
list(LENGTH helpOptions count)
message("${name}: the ${count} options of --help, no others")
