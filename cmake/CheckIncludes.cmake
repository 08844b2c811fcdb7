# Script mode: fails when any of FILES includes a project header (one in quotes) that
# does not match ALLOWED (a regular expression); touches STAMP otherwise.
string(REPLACE "|" ";" file_list "${FILES}")
foreach(file IN LISTS file_list)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
        if(NOT header MATCHES "${ALLOWED}")
            message(FATAL_ERROR "${file} includes ${header}, which it must not use")
        endif()
    endforeach()
endforeach()
file(TOUCH ${STAMP})
