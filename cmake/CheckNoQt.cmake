# Script mode: fails when any of FILES includes a Qt header; touches STAMP otherwise.
string(REPLACE "|" ";" file_list "${FILES}")
foreach(file IN LISTS file_list)
    file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|Qt[A-Za-z]*/)")
    if(hits)
        message(FATAL_ERROR "${file} is part of a logic library but includes Qt: ${hits}")
    endif()
endforeach()
file(TOUCH ${STAMP})
