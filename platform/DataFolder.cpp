#include "platform/DataFolder.h"

#include <QFile>
#include <QStandardPaths>

#include <system_error>

namespace fs = std::filesystem;

namespace {

// From the build's install layout: "../share/npc-editor" with the usual one.
constexpr const char* InstalledDataDir = NPC_INSTALLED_DATA_DIR;

fs::path UserDataFolder()
{
    // GenericDataLocation plus the editor's name rather than AppDataLocation itself: every
    // program of the suite (the exporter too) shares the editor's folder whatever it is called.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return fs::path(QFile::encodeName(base).toStdString()) / DataFolderName;
}

bool IsFile(const fs::path& path)
{
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

} // namespace

std::vector<fs::path> DataSearchPath(const fs::path& programDir)
{
    std::vector<fs::path> folders;
    std::error_code error;
    fs::path current = fs::current_path(error);
    if (!error)
        folders.push_back(std::move(current));
    if (fs::path user = UserDataFolder(); !user.empty())
        folders.push_back(std::move(user));
    if (!programDir.empty())
        folders.push_back((programDir / InstalledDataDir).lexically_normal());
    return folders;
}

std::optional<fs::path> FirstFolderHolding(const std::vector<fs::path>& folders,
                                           std::span<const std::string_view> fileNames)
{
    for (const fs::path& folder : folders)
        for (std::string_view name : fileNames)
            if (IsFile(folder / name))
                return folder;
    return std::nullopt;
}

fs::path FindCatalogueFolder(const std::vector<fs::path>& folders)
{
    if (auto found = FirstFolderHolding(folders, CatalogueFileNames))
        return *found;
    return folders.empty() ? fs::path() : folders.front();
}
