# scripts/mimeapps as scripts/run uses it: the user's own default line for the
# callback scheme is read, ours put in its place, and the user's put back, in
# a list that is linked from elsewhere. Expects SOURCE_DIR and SCRATCH.
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/config" "${SCRATCH}/dotfiles")
set(tool "${SOURCE_DIR}/scripts/mimeapps")
set(list "${SCRATCH}/config/mimeapps.list")
set(kept "${SCRATCH}/dotfiles/mimeapps.list")
set(type "x-scheme-handler/app.vorno.desktop")
set(ours "${type}=app.vorno.desktop.dev-42.desktop")

# name | the user's list | the line `get` must find (empty: none); "<sc>"
# stands for the semicolon, which CMake lists split on.
set(added "[Added Associations]\n${type}=browser.desktop<sc>\n")
set(cases
    "own line|${added}\n[Default Applications]\ntext/plain=editor.desktop\n${type}=old.desktop\n\n[Other]\nx=y\n|${type}=old.desktop"
    "no own line|${added}\n[Default Applications]\ntext/plain=editor.desktop\n|"
    "no default section|${added}|")
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 name)
    list(GET fields 1 before)
    string(REPLACE "<sc>" ";" before "${before}")
    list(LENGTH fields count)
    set(own "")
    if(count GREATER 2)
        list(GET fields 2 own)
    endif()
    file(WRITE "${kept}" "${before}")
    file(REMOVE "${list}")
    file(CREATE_LINK "${kept}" "${list}" SYMBOLIC)

    execute_process(COMMAND "${tool}" get "${list}" "${type}" OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT found STREQUAL own)
        message(FATAL_ERROR "${name}: found \"${found}\", not the user's \"${own}\"")
    endif()
    execute_process(COMMAND "${tool}" put "${list}" "${type}" "${ours}" RESULT_VARIABLE result)
    execute_process(COMMAND "${tool}" get "${list}" "${type}" OUTPUT_VARIABLE now OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT result EQUAL 0 OR NOT now STREQUAL ours)
        message(FATAL_ERROR "${name}: ours is not the default: \"${now}\"")
    endif()
    execute_process(COMMAND "${tool}" put "${list}" "${type}" "${found}" RESULT_VARIABLE result)
    file(READ "${kept}" after)
    string(REPLACE "[Default Applications]\n" "" tidied "${after}")
    if(NOT IS_SYMLINK "${list}")
        message(FATAL_ERROR "${name}: the linked list was replaced by a file")
    elseif(NOT after STREQUAL before AND NOT (name STREQUAL "no default section" AND tidied STREQUAL before))
        message(FATAL_ERROR "${name}: the list is not the user's own again:\n${after}")
    endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
