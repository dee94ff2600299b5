# Run at install and uninstall time: refreshes the desktop's caches and, for
# an installation in the user's own home, makes it the handler of the
# callback scheme. Expects VORNO_APP_IDENTIFIER and VORNO_DATADIR; with
# VORNO_UNREGISTER set it withdraws the user's association instead.
if(DEFINED ENV{DESTDIR} AND NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
endif()
set(desktop_file "${VORNO_APP_IDENTIFIER}.desktop")
set(scheme "x-scheme-handler/${VORNO_APP_IDENTIFIER}")

find_program(update_desktop_database update-desktop-database)
if(update_desktop_database AND EXISTS "${VORNO_DATADIR}/applications")
    execute_process(COMMAND ${update_desktop_database} -q "${VORNO_DATADIR}/applications")
endif()
find_program(update_icon_cache gtk-update-icon-cache)
if(update_icon_cache AND EXISTS "${VORNO_DATADIR}/icons/hicolor/index.theme")
    execute_process(COMMAND ${update_icon_cache} -q -t "${VORNO_DATADIR}/icons/hicolor")
endif()

# A system-wide installation is found through the desktop database; only a
# per-user one gets the user's explicit association.
if(NOT DEFINED ENV{HOME} OR NOT VORNO_DATADIR MATCHES "^$ENV{HOME}/")
    return()
endif()
set(config "$ENV{HOME}/.config")
if(DEFINED ENV{XDG_CONFIG_HOME} AND NOT "$ENV{XDG_CONFIG_HOME}" STREQUAL "")
    set(config "$ENV{XDG_CONFIG_HOME}")
endif()
set(list "${config}/mimeapps.list")
if(VORNO_UNREGISTER)
    if(EXISTS "${list}")
        # Through a link to the file it names, and in one rename: a reader
        # never sees half a list.
        file(REAL_PATH "${list}" target)
        file(READ "${target}" content)
        string(REPLACE "${scheme}=${desktop_file}\n" "" changed "${content}")
        if(NOT changed STREQUAL content)
            string(RANDOM LENGTH 8 suffix)
            get_filename_component(directory "${target}" DIRECTORY)
            set(temporary "${directory}/.mimeapps.list.${suffix}")
            file(WRITE "${temporary}" "${changed}")
            file(RENAME "${temporary}" "${target}")
        endif()
    endif()
    return()
endif()
find_program(xdg_mime xdg-mime)
if(xdg_mime)
    execute_process(COMMAND ${xdg_mime} default ${desktop_file} ${scheme} RESULT_VARIABLE result)
    if(result EQUAL 0)
        message(STATUS "Registered ${desktop_file} for ${scheme}")
    endif()
endif()
