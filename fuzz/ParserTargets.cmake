# libFuzzer targets for the text parsers: the item database reader (fuzz_item_db), the INI reader
# of the catalogue files (fuzz_catalogue_ini) and the script colouring scanner (fuzz_highlight).
# Each fuzz_<name> is built from <name>_fuzzer.cpp and compares its parser with the plain reading
# of the parser's rules in ItemDbOracle.h, IniOracle.h or HighlightOracle.h. Its seeds are in corpus/<name>, its dictionary is <name>.dict,
# and every input that once failed it is kept in crashes/<name>; the model tests replay both
# folders (ParserCorpusTest). A run, from the build folder:
#   mkdir -p work-item_db && cp <source>/fuzz/corpus/item_db/* work-item_db/
#   fuzz/fuzz_item_db -max_total_time=600 -max_len=2048 -dict=<source>/fuzz/item_db.dict \
#       -artifact_prefix=artifacts/ work-item_db
foreach(name item_db catalogue_ini highlight)
    add_executable(fuzz_${name} ${name}_fuzzer.cpp)
    target_link_libraries(fuzz_${name} PRIVATE npcmodel)
    target_compile_options(fuzz_${name} PRIVATE ${NPC_FUZZ_SANITIZERS} -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()

# The eAthena script reader and checker (fuzz_script_reader), checked against its own promises
# about source ranges in ScriptReaderChecks.h.
target_compile_options(npcscript PRIVATE ${NPC_FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)
add_executable(fuzz_script_reader script_reader_fuzzer.cpp)
target_link_libraries(fuzz_script_reader PRIVATE npcscript)
target_compile_options(fuzz_script_reader PRIVATE ${NPC_FUZZ_SANITIZERS} -fsanitize=fuzzer)
target_link_options(fuzz_script_reader PRIVATE -fsanitize=fuzzer,address,undefined)

# The language server's message reader and the server behind it (fuzz_lsp_reader): the same frames
# whatever the reads, and an answer to each, as LspReaderChecks.h says.
target_compile_options(npclsp PRIVATE ${NPC_FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)
add_executable(fuzz_lsp_reader lsp_reader_fuzzer.cpp)
target_link_libraries(fuzz_lsp_reader PRIVATE npclsp)
target_compile_options(fuzz_lsp_reader PRIVATE ${NPC_FUZZ_SANITIZERS} -fsanitize=fuzzer)
target_link_options(fuzz_lsp_reader PRIVATE -fsanitize=fuzzer,address,undefined)
