# Installs the build into a folder of its own and checks what a desktop and a user find there:
# the three programs, the desktop entry and the metainfo naming them, the icon at every size, the
# manual pages, and that the installed tool runs and answers as the built one does.
#
#   cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -DBUILT_CLI=... -P check_installed_tree.cmake

foreach(input BUILD_DIR PREFIX VERSION BUILT_CLI)
    if(NOT DEFINED ${input})
        message(FATAL_ERROR "${input} is not given")
    endif()
endforeach()

set(failures)
macro(fail text)
    list(APPEND failures "${text}")
endmacro()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE code OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${code}): ${error}")
endif()

set(app_id org.velmora.Velmora)
set(icon_sizes 16 32 48 64 128 256)
set(expected
    bin/velmora bin/velmora-cli bin/velmora-unit
    share/applications/${app_id}.desktop
    share/metainfo/${app_id}.metainfo.xml
    share/icons/hicolor/scalable/apps/${app_id}.svg
    share/man/man1/velmora.1.gz share/man/man1/velmora-cli.1.gz share/man/man1/velmora-unit.1.gz)
foreach(size IN LISTS icon_sizes)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${app_id}.png)
endforeach()
foreach(file IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${file})
        fail("missing ${file}")
    endif()
endforeach()

# A PNG's header holds its width and height as two big-endian words from byte 16 on.
foreach(size IN LISTS icon_sizes)
    set(png ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${app_id}.png)
    if(EXISTS ${png})
        file(READ ${png} header HEX LIMIT 24)
        string(SUBSTRING "${header}" 2 6 magic)
        string(SUBSTRING "${header}" 32 8 width)
        string(SUBSTRING "${header}" 40 8 height)
        math(EXPR width "0x${width}")
        math(EXPR height "0x${height}")
        if(NOT magic STREQUAL "504e47" OR NOT width EQUAL size OR NOT height EQUAL size)
            fail("the ${size}x${size} icon is a ${width}x${height} ${magic} file")
        endif()
    endif()
endforeach()

# Manual pages are gzip files.
foreach(page velmora velmora-cli velmora-unit)
    set(path ${PREFIX}/share/man/man1/${page}.1.gz)
    if(EXISTS ${path})
        file(READ ${path} magic HEX LIMIT 2)
        if(NOT magic STREQUAL "1f8b")
            fail("${page}.1.gz is not gzip-compressed")
        endif()
    endif()
endforeach()

# The desktop entry starts a program that is installed and shows the installed icon.
set(desktop ${PREFIX}/share/applications/${app_id}.desktop)
if(EXISTS ${desktop})
    file(STRINGS ${desktop} exec REGEX "^Exec=")
    file(STRINGS ${desktop} icon REGEX "^Icon=")
    string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec_program "${exec}")
    if(NOT exec_program OR NOT EXISTS ${PREFIX}/bin/${exec_program})
        fail("the desktop entry starts '${exec}', which is not in bin/")
    endif()
    if(NOT icon STREQUAL "Icon=${app_id}")
        fail("the desktop entry shows '${icon}' instead of the installed icon ${app_id}")
    endif()
endif()

# The metainfo names this release and the desktop entry that launches it.
set(metainfo ${PREFIX}/share/metainfo/${app_id}.metainfo.xml)
if(EXISTS ${metainfo})
    file(READ ${metainfo} text)
    string(REPLACE "." "\\." version_pattern "${VERSION}")
    if(NOT text MATCHES "<release version=\"${version_pattern}\" date=\"[0-9]+-[0-9]+-[0-9]+\"")
        fail("the metainfo does not name release ${VERSION} with a date")
    endif()
    if(NOT text MATCHES "<launchable type=\"desktop-id\">${app_id}\\.desktop</launchable>")
        fail("the metainfo does not launch ${app_id}.desktop")
    endif()
endif()

# The installed programs run from their new place, and the tool answers as the built one does.
foreach(program velmora velmora-cli velmora-unit)
    if(EXISTS ${PREFIX}/bin/${program})
        execute_process(COMMAND ${PREFIX}/bin/${program} --version
                        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_QUIET)
        if(NOT code EQUAL 0 OR NOT out STREQUAL "${program} ${VERSION}\n")
            fail("installed ${program} --version: exit ${code}, '${out}'")
        endif()
    endif()
endforeach()
set(cli ${PREFIX}/bin/velmora-cli)
if(EXISTS ${cli})
    execute_process(COMMAND ${cli} defaults --model 1 RESULT_VARIABLE code OUTPUT_VARIABLE out)
    execute_process(COMMAND ${BUILT_CLI} defaults --model 1 OUTPUT_VARIABLE built)
    if(NOT code EQUAL 0 OR out STREQUAL "" OR NOT out STREQUAL built)
        fail("installed velmora-cli defaults --model 1 (exit ${code}) differs from the built one")
    endif()
endif()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "The installed tree in ${PREFIX} is not right:\n  ${text}")
endif()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "The installed tree holds every expected file and its tool runs")
