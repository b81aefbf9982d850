#pragma once
// Where the programs find their data when they are not started beside it: the catalogues and
// the help file may lie in the working directory (a checkout or a server's folder), in the user's
// own data folder, or in the folder they were installed with.

#include <filesystem>
#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The name of the data folder below the user's and the installed data folders.
inline constexpr const char* DataFolderName = "npc-editor";

// The catalogue files; a folder holding any of them holds the catalogues.
inline constexpr std::array<std::string_view, 4> CatalogueFileNames = {
    "npcs.ini", "item_db.txt", "jobs.ini", "maps.ini"};
inline constexpr std::string_view HelpFileName = "help.chm";

// The folders searched, in order: the working directory, the user's data folder
// (<XDG data home>/npc-editor, which is QStandardPaths::AppDataLocation for the editor), and the
// installed data folder, found relative to programDir (the folder of the running program), so an
// installed copy works wherever its prefix is.
std::vector<std::filesystem::path> DataSearchPath(const std::filesystem::path& programDir);

// The first folder that holds a regular file of one of the names; nothing when none does.
std::optional<std::filesystem::path> FirstFolderHolding(
    const std::vector<std::filesystem::path>& folders,
    std::span<const std::string_view> fileNames);

// The folder every catalogue is read from: the first that holds a catalogue file, or the first
// folder searched (the working directory) when none does, so the usual messages about missing
// catalogues name the working directory as before.
std::filesystem::path FindCatalogueFolder(const std::vector<std::filesystem::path>& folders);
