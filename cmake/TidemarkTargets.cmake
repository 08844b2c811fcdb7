# Target helpers that keep the layers apart: a logic library never includes or links Qt.

set_property(GLOBAL PROPERTY TIDEMARK_LOGIC_TARGETS "")

# tidemark_sources_and_headers(out_var base_dir source ...)
# The absolute paths of the sources (relative ones taken from base_dir) and of the
# header of the same name beside each, where there is one.
function(tidemark_sources_and_headers out_var base_dir)
    set(files "")
    foreach(src IN LISTS ARGN)
        get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${base_dir})
        list(APPEND files ${abs})
        get_filename_component(folder ${abs} DIRECTORY)
        get_filename_component(stem ${abs} NAME_WE)
        if(EXISTS ${folder}/${stem}.h)
            list(APPEND files ${folder}/${stem}.h)
        endif()
    endforeach()
    list(REMOVE_DUPLICATES files)
    set(${out_var} ${files} PARENT_SCOPE)
endfunction()

# tidemark_check_before(target kind comment script files [-DNAME=value ...])
# Building the target first runs the check script over the files (passed as FILES,
# joined by "|", with STAMP and the extra definitions); it runs again only when one
# of them or the script changes.
function(tidemark_check_before target kind comment script files)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.${kind}.stamp)
    string(REPLACE ";" "|" joined "${files}")
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DFILES=${joined} ${ARGN} -DSTAMP=${stamp} -P ${script}
        DEPENDS ${files} ${script}
        COMMENT "${comment}" VERBATIM)
    add_custom_target(${target}_${kind} DEPENDS ${stamp})
    add_dependencies(${target} ${target}_${kind})
endfunction()

# tidemark_logic_library(name SOURCES ... [LIBS ...])
# A static library of plain C++. Building it first scans its files for Qt headers.
function(tidemark_logic_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    if(ARG_LIBS)
        target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    endif()
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
    tidemark_sources_and_headers(files ${CMAKE_CURRENT_SOURCE_DIR} ${ARG_SOURCES})
    tidemark_check_before(${name} noqt "Checking that ${name} includes no Qt header"
        ${CMAKE_SOURCE_DIR}/cmake/CheckNoQt.cmake "${files}")
    set_property(GLOBAL APPEND PROPERTY TIDEMARK_LOGIC_TARGETS ${name})
endfunction()

# tidemark_qt_library(name SOURCES ... [LIBS ...])
# A static library of the Qt layer; links Qt Widgets and whatever logic it shows.
function(tidemark_qt_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_LIBS})
endfunction()

# tidemark_restrict_links(target [ALLOWED ...] [DENIED ...])
# With ALLOWED the target may link, directly or through others, only the listed
# tidemark_ targets (libraries outside the project, such as Qt or SQLite, are not
# restricted here); with DENIED it must not link any of those listed. Checked by
# tidemark_check_layers() when the configuration ends.
function(tidemark_restrict_links target)
    cmake_parse_arguments(ARG "" "" "ALLOWED;DENIED" ${ARGN})
    set_property(GLOBAL APPEND PROPERTY TIDEMARK_RESTRICTED_TARGETS ${target})
    set_property(GLOBAL PROPERTY TIDEMARK_ALLOWED_LINKS_${target} ${ARG_ALLOWED})
    set_property(GLOBAL PROPERTY TIDEMARK_DENIED_LINKS_${target} ${ARG_DENIED})
endfunction()

# tidemark_restrict_includes(target ALLOWED regex)
# Building the target first checks that its sources and their headers include only
# project headers matching the regular expression (cmake/CheckIncludes.cmake).
function(tidemark_restrict_includes target)
    cmake_parse_arguments(ARG "" "ALLOWED" "" ${ARGN})
    get_target_property(sources ${target} SOURCES)
    get_target_property(dir ${target} SOURCE_DIR)
    tidemark_sources_and_headers(files ${dir} ${sources})
    tidemark_check_before(${target} includes "Checking the headers ${target} includes"
        ${CMAKE_SOURCE_DIR}/cmake/CheckIncludes.cmake "${files}" -DALLOWED=${ARG_ALLOWED})
endfunction()

# Every target the given one links, directly or through others (into out_var).
function(tidemark_link_closure target out_var)
    set(pending ${target})
    set(seen "")
    while(pending)
        list(POP_FRONT pending current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        if(TARGET ${current})
            get_target_property(libs ${current} LINK_LIBRARIES)
            if(libs)
                list(APPEND pending ${libs})
            endif()
        endif()
    endwhile()
    set(${out_var} ${seen} PARENT_SCOPE)
endfunction()

# Fails the configuration when a logic library links Qt, directly or through another library.
function(tidemark_check_layers)
    get_property(logic GLOBAL PROPERTY TIDEMARK_LOGIC_TARGETS)
    foreach(target IN LISTS logic)
        tidemark_link_closure(${target} linked)
        foreach(current IN LISTS linked)
            if(current MATCHES "^Qt6?::")
                message(FATAL_ERROR "Logic library ${target} links ${current}: the logic layer must not use Qt")
            endif()
        endforeach()
    endforeach()
    get_property(restricted GLOBAL PROPERTY TIDEMARK_RESTRICTED_TARGETS)
    foreach(target IN LISTS restricted)
        get_property(allowed GLOBAL PROPERTY TIDEMARK_ALLOWED_LINKS_${target})
        get_property(denied GLOBAL PROPERTY TIDEMARK_DENIED_LINKS_${target})
        tidemark_link_closure(${target} linked)
        foreach(current IN LISTS linked)
            if(current MATCHES "^tidemark_" AND ((allowed AND NOT current IN_LIST allowed) OR current IN_LIST denied))
                message(FATAL_ERROR "${target} links ${current}, which it must not use")
            endif()
        endforeach()
    endforeach()
endfunction()
