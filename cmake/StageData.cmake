# Copies data/ into <build>/data and compiles the help topics into data/help.chm there.
set(NPC_STAGE_DIR ${CMAKE_BINARY_DIR}/data)
file(GLOB_RECURSE NPC_DATA_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
list(FILTER NPC_DATA_FILES EXCLUDE REGEX "/data/help/")
set(NPC_STAGED_FILES)
foreach(source ${NPC_DATA_FILES})
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR}/data ${source})
    set(target ${NPC_STAGE_DIR}/${relative})
    add_custom_command(OUTPUT ${target}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${target}
        DEPENDS ${source} VERBATIM)
    list(APPEND NPC_STAGED_FILES ${target})
endforeach()
add_custom_target(stage-data ALL DEPENDS ${NPC_STAGED_FILES})

# The help topics in data/help, compiled with chmcmd (Debian's fp-utils) into <build>/data/help.chm,
# beside the catalogues, where the editor looks for it. chmcmd writes into its working directory
# and finds the topics beside the project file, so the source tree stays clean. The folder is
# entered by `cmake -E chdir` after it is made: a WORKING_DIRECTORY is entered by some generators
# (Makefiles) before the first command runs, when a fresh build folder does not have it yet.
find_program(NPC_CHMCMD chmcmd)
file(GLOB_RECURSE NPC_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/help/*)
if(NPC_CHMCMD)
    add_custom_command(OUTPUT ${NPC_STAGE_DIR}/help.chm
        COMMAND ${CMAKE_COMMAND} -E make_directory ${NPC_STAGE_DIR}
        COMMAND ${CMAKE_COMMAND} -E chdir ${NPC_STAGE_DIR} ${NPC_CHMCMD} ${CMAKE_SOURCE_DIR}/data/help/help.hhp
        DEPENDS ${NPC_HELP_SOURCES}
        COMMENT "Compiling the help topics into data/help.chm"
        VERBATIM)
    add_custom_target(help-chm ALL DEPENDS ${NPC_STAGE_DIR}/help.chm)
    add_dependencies(stage-data help-chm)
else()
    message(WARNING "chmcmd (package fp-utils) not found: the help file data/help.chm is not built")
endif()
