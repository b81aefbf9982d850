# The install layout: the programs in bin/, the sample catalogues and the help file in
# share/npc-editor/, what the desktop needs to offer the editor like any other program (menu
# entry, project file type, icon, software-centre metadata), and the licence notice.

# The desktop's name for the editor: the desktop entry, icon and metadata files are named after it.
set(NPC_APP_ID net.vask.npceditor)
# Window systems match the running editor's windows to its desktop entry by this name.
target_compile_definitions(npc-editor PRIVATE NPC_APP_ID="${NPC_APP_ID}")
set(NPC_PROJECT_MIME_TYPE application/x-npc-editor-project)
set(NPC_HOMEPAGE "https://example.org/npc-editor" CACHE STRING
    "The project's web page; the software-centre metadata finds the screenshots of docs/ below it")

set(NPC_DESKTOP_DIR ${CMAKE_CURRENT_BINARY_DIR}/desktop)
configure_file(${CMAKE_SOURCE_DIR}/packaging/npc-editor.desktop.in
    ${NPC_DESKTOP_DIR}/${NPC_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/npc-editor.metainfo.xml.in
    ${NPC_DESKTOP_DIR}/${NPC_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/npc-editor-mime.xml.in
    ${NPC_DESKTOP_DIR}/${NPC_APP_ID}.xml @ONLY)

install(TARGETS npc-editor ${NPC_COMMAND_LINE_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(NPC_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/npc-editor)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${NPC_DATA_DESTINATION}
    PATTERN help EXCLUDE)
if(NPC_CHMCMD)
    install(FILES ${NPC_STAGE_DIR}/help.chm DESTINATION ${NPC_DATA_DESTINATION})
endif()

install(FILES ${NPC_DESKTOP_DIR}/${NPC_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${NPC_DESKTOP_DIR}/${NPC_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${NPC_DESKTOP_DIR}/${NPC_APP_ID}.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The licence notice in Debian's machine-readable form, where Debian looks for a package's
# (share/doc/<package>/copyright), so the package cpack builds carries it. Not
# CMAKE_INSTALL_DOCDIR: that is named after the CMake project, not after the package.
configure_file(${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/npc-editor)

# The icon: the drawing itself, and bitmaps of the usual sizes for desktops that want them,
# rendered with rsvg-convert (librsvg2-bin) when it is there.
set(NPC_ICON_SVG ${CMAKE_SOURCE_DIR}/packaging/npc-editor.svg)
install(FILES ${NPC_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${NPC_APP_ID}.svg)
find_program(NPC_RSVG_CONVERT rsvg-convert)
if(NPC_RSVG_CONVERT)
    set(NPC_ICON_PNGS)
    foreach(size 16 24 32 48 64 128 256)
        set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/${NPC_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${NPC_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${NPC_ICON_SVG}
            DEPENDS ${NPC_ICON_SVG} VERBATIM)
        list(APPEND NPC_ICON_PNGS ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(icons ALL DEPENDS ${NPC_ICON_PNGS})
else()
    message(STATUS "rsvg-convert (package librsvg2-bin) not found: only the scalable icon is installed")
endif()
