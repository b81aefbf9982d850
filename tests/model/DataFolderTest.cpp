// Where the catalogues and the help file are found: the working directory, then the user's data
// folder, then the installed data folder; the first that holds a catalogue file wins.
#include "TestSupport.h"

#include "platform/DataFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One of the three folders searched: what it holds ("" nothing, a file name, or "dir:<name>" for
// a folder of that name).
struct FolderCase {
    const char* What;
    std::array<const char*, 3> Holds;  // working, user, installed
    int Chosen;                        // index of the folder the catalogues come from
};

void PrintTo(const FolderCase& c, std::ostream* os)
{
    *os << c.What;
}

class CatalogueFolderChoice : public ::testing::TestWithParam<FolderCase> {
protected:
    TTempDir Root;
};

TEST_P(CatalogueFolderChoice, FirstFolderHoldingACatalogueFileWins)
{
    const FolderCase& c = GetParam();
    std::vector<fs::path> folders;
    for (const char* name : {"working", "user", "installed"})
        folders.push_back(Root / name);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        fs::create_directories(folders[i]);
        const std::string held = c.Holds[i];
        if (held.starts_with("dir:"))
            fs::create_directories(folders[i] / held.substr(4));
        else if (!held.empty())
            WriteBytes(folders[i] / held, "[Maps]\nCount=0\n");
    }
    EXPECT_EQ(FindCatalogueFolder(folders), folders[static_cast<std::size_t>(c.Chosen)]);
}

INSTANTIATE_TEST_SUITE_P(
    DataFolder, CatalogueFolderChoice,
    ::testing::Values(
        FolderCase{"nothing anywhere: the working directory", {"", "", ""}, 0},
        FolderCase{"only installed", {"", "", "maps.ini"}, 2},
        FolderCase{"user before installed", {"", "jobs.ini", "maps.ini"}, 1},
        FolderCase{"working before everything", {"npcs.ini", "jobs.ini", "maps.ini"}, 0},
        FolderCase{"working before installed", {"item_db.txt", "", "maps.ini"}, 0},
        FolderCase{"any one catalogue file is enough", {"", "item_db.txt", ""}, 1},
        FolderCase{"other files do not count", {"help.chm", "readme.txt", "jobs.ini"}, 2},
        FolderCase{"a folder named like a catalogue does not count", {"dir:maps.ini", "", "npcs.ini"}, 2}),
    [](const auto& info) {
        std::string name = info.param.What;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(DataFolder, NoFoldersGiveNoFolder)
{
    EXPECT_EQ(FindCatalogueFolder({}), fs::path());
    EXPECT_EQ(FirstFolderHolding({}, CatalogueFileNames), std::nullopt);
}

TEST(DataFolder, TheHelpFileIsLookedUpOnItsOwn)
{
    TTempDir root;
    WriteBytes(root / "user" / "maps.ini", "");
    WriteBytes(root / "installed" / "help.chm", "ITSF");
    const std::vector<fs::path> folders = {root / "user", root / "installed"};
    EXPECT_EQ(FindCatalogueFolder(folders), root / "user");
    EXPECT_EQ(FirstFolderHolding(folders, std::array{HelpFileName}), root / "installed");
}

// The real search path, with the working directory and the user's data folder moved into a
// temporary folder for the test's length.
class DataSearchPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeptDir = fs::current_path();
        if (const char* home = std::getenv("XDG_DATA_HOME"))
            KeptDataHome = home;
        fs::create_directories(Root / "work");
        fs::current_path(Root / "work");
        ::setenv("XDG_DATA_HOME", (Root / "xdg").c_str(), 1);
    }

    void TearDown() override
    {
        fs::current_path(KeptDir);
        if (KeptDataHome)
            ::setenv("XDG_DATA_HOME", KeptDataHome->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }

    TTempDir Root;
    fs::path KeptDir;
    std::optional<std::string> KeptDataHome;
};

TEST_F(DataSearchPathTest, WorkingThenUserThenInstalledBesideTheProgram)
{
    const std::vector<fs::path> expected = {fs::current_path(), Root / "xdg" / "npc-editor",
                                            Root / "prefix" / "share" / "npc-editor"};
    EXPECT_EQ(DataSearchPath(Root / "prefix" / "bin"), expected);
}

TEST_F(DataSearchPathTest, TheUserFolderIsUsedWhenTheWorkingDirectoryHoldsNoCatalogue)
{
    WriteBytes(Root / "prefix" / "share" / "npc-editor" / "maps.ini", "");
    WriteBytes(Root / "xdg" / "npc-editor" / "jobs.ini", "");
    const std::vector<fs::path> folders = DataSearchPath(Root / "prefix" / "bin");
    EXPECT_EQ(FindCatalogueFolder(folders), Root / "xdg" / "npc-editor");

    WriteBytes(Root / "work" / "npcs.ini", "");
    EXPECT_EQ(FindCatalogueFolder(folders), fs::current_path());
}

} // namespace
