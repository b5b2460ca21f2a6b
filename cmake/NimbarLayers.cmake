# Keeps the layers apart: configuring fails when a folder includes a header of a layer above
# it, or when a widget-free folder includes a header of Qt's Gui, Widgets, Print Support or
# Multimedia modules.
#   app/      entry points           may include everything
#   ui/       windows                not app/
#   engine/   the running system     not ui/ or app/, no Gui
#   mqtt/ web/ listeners of the engine's live feed: likewise
#   settings/ device/ processing/ display/ recording/ net/ browser/
#             widget-free subsystems not engine/, ui/ or app/, no Gui
function(nimbar_check_layers source_dir)
    set(gui_dirs)
    foreach(module Gui Widgets PrintSupport Multimedia)
        get_target_property(dirs Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
        foreach(dir IN LISTS dirs)
            if(dir MATCHES "/Qt${module}$")
                list(APPEND gui_dirs ${dir})
            endif()
        endforeach()
    endforeach()

    set(subsystems settings device processing display recording net browser)
    set(layers ${subsystems} engine mqtt web ui)
    set(problems)
    foreach(layer IN LISTS layers)
        if(layer STREQUAL "ui")
            set(forbidden app)
        elseif(layer MATCHES "^(engine|mqtt|web)$")
            set(forbidden ui app)
        else()
            set(forbidden engine ui app)
        endif()
        file(GLOB_RECURSE files CONFIGURE_DEPENDS ${source_dir}/${layer}/*.h
             ${source_dir}/${layer}/*.cpp)
        foreach(file IN LISTS files)
            file(STRINGS ${file} includes REGEX "^#include [<\"]")
            foreach(line IN LISTS includes)
                if(line MATCHES "^#include \"([a-z]+)/")
                    if(CMAKE_MATCH_1 IN_LIST forbidden)
                        list(APPEND problems "${file}: ${line}")
                    endif()
                elseif(NOT layer STREQUAL "ui" AND line MATCHES "^#include <(Q[A-Za-z]+)>")
                    foreach(dir IN LISTS gui_dirs)
                        if(EXISTS ${dir}/${CMAKE_MATCH_1})
                            list(APPEND problems "${file}: ${line} (${dir})")
                        endif()
                    endforeach()
                endif()
            endforeach()
        endforeach()
    endforeach()
    if(problems)
        list(JOIN problems "\n  " text)
        message(FATAL_ERROR "Headers from a layer above:\n  ${text}")
    endif()
endfunction()
