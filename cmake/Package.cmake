# The Debian package: `cpack -G DEB` in the build folder writes npc-editor_<version>_<arch>.deb
# with everything `cmake --install` puts under /usr. The libraries it needs are found by
# dpkg-shlibdeps (dpkg-dev); Qt's window-system plugins are a package of their own.
set(CPACK_PACKAGE_NAME npc-editor)
set(CPACK_PACKAGE_VENDOR "Vask's NPC Editor")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the NPC scripts of eAthena game servers")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "A script author describes one NPC (name, map, position, facing, sprite), a"
    "comment header and the NPC's behaviour as a tree of tasks; the editor writes"
    "the script text for eAthena, rAthena or Hercules. npc-export writes the"
    "script of a project without opening the editor, npc-lint checks script"
    "files as the server would load them, npc-play plays an NPC without a server"
    "and npc-import turns an NPC of a script file into a project; npc-lsp brings"
    "the checker into any text editor as a language server.")
set(CPACK_PACKAGE_CONTACT "NPC Editor maintainers <npc-editor@example.org>" CACHE STRING
    "The package's maintainer")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${NPC_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)
