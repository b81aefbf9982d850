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
