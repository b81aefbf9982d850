// npc-import on files: its listing, one NPC and every NPC written as projects, nothing written for
// a failed import, safe file names, and every NPC of the real server's scripts imported and proved.

#include "ModelFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "platform/FileAccess.h"
#include "model/ProjectFile.h"
#include "import/Import.h"
#include "import/ImportProof.h"
#include "import/ImportRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

using ::testing::HasSubstr;

namespace {

const std::string TwoNpcs =
    "prontera,150,180,4\tscript\tGuide\t111,{\n\tmes \"[Guide]\";\n\tmes \"Hi\";\n\tclose;\n}\n"
    "-\tscript\tHidden\t-1,{\n\tend;\n}\n"
    "izlude,1,1,4\tscript\tGuide/2\t111,{\n\tif (x) goto L3;\n\tclose;\n\tif (y) { L3: end; }\n}\n"
    "izlude,2,2,4\tscript\tguide:2\t111,{\n\tclose;\n}\n"
    "izlude,3,3,4\tscript\tJoined\t111,{\n\tmes \"a\"\n\t\t\"b\";\n\tclose;\n}\n";

class ImportRunTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        WriteBytes(Dir / "npcs.txt", TwoNpcs);
        WriteBytes(Dir / "maps.ini", "[Maps]\r\nCount=1\r\n[Map1]\r\nMap=prontera.gat\r\nName=Prontera\r\n");
    }
    int Run(TImportMode mode, const std::string& npc, const std::string& output,
            script::TTarget target = script::TTarget::EAthena)
    {
        TImportRequest request{Dir.Path(), target, (Dir / "npcs.txt").string(), mode, npc, output, false};
        Out.str({});
        Err.str({});
        return RunImport(request, Out, Err);
    }
    TTempDir Dir;
    std::ostringstream Out, Err;
};

// A project imported for another server stays one: its side file says which, and the editor
// writes that server's form (Hercules' openstorage takes its argument). The file is read with that
// server's rules: Hercules joins adjacent strings, which eAthena refuses (the listing below).
TEST_F(ImportRunTest, AProjectForAnotherServerIsWrittenWithItsSideFile)
{
    const std::string path = (Dir / "guide.NPC").string();
    ASSERT_EQ(Run(TImportMode::One, "Guide", path, script::TTarget::Hercules), ImportDone) << Err.str();
    EXPECT_EQ(ReadBytes(path + ".server"), "server=hercules\r\n");
    Document().LoadProject(path);
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::Hercules);
    EXPECT_EQ(Run(TImportMode::One, "Joined", path, script::TTarget::Hercules), ImportDone) << Err.str();
}

TEST_F(ImportRunTest, ListsEveryEntryWithItsLines)
{
    EXPECT_EQ(Run(TImportMode::List, "", ""), ImportDone);
    EXPECT_EQ(Out.str(), "Guide\tlines 1-5\tcan be imported\n"
                         "Hidden\tlines 6-8\tcannot be imported: a floating NPC (map -): nobody can talk to it, it "
                         "runs only on events or when called\n"
                         "Guide/2\tlines 9-13\tcan be imported\nguide:2\tlines 14-16\tcan be imported\n"
                         "Joined\tlines 17-21\tcannot be imported: its script cannot be read (line 19: ';' expected)\n");
}

TEST_F(ImportRunTest, ImportsOneNpcIntoAProjectFile)
{
    const std::string path = (Dir / "guide.NPC").string();
    EXPECT_EQ(Run(TImportMode::One, "Guide", path), ImportDone);
    EXPECT_THAT(Out.str(), HasSubstr("Guide: imported to " + path + ", 3 of 3 statements (100 %) structured"));
    Document().LoadProject(path);
    EXPECT_EQ(Project().NPCInfo.Name, "Guide");
    EXPECT_EQ(Project().NPCInfo.MapIndex, 0);
}

TEST_F(ImportRunTest, WritesNothingForAnNpcThatCannotBeImported)
{
    const std::string path = (Dir / "hidden.NPC").string();
    EXPECT_EQ(Run(TImportMode::One, "Hidden", path), ImportFailed);
    EXPECT_THAT(Err.str(), HasSubstr("Hidden cannot be imported: a floating NPC"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Run(TImportMode::One, "Guide/2", path), ImportFailed);
    EXPECT_THAT(Err.str(), HasSubstr("clash with the editor's own labels; nothing written"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ImportRunTest, AllWritesEveryImportableNpcUnderSafeUniqueNames)
{
    EXPECT_EQ(Run(TImportMode::All, "", (Dir / "out").string()), ImportFailed);  // Guide/2 fails
    EXPECT_TRUE(std::filesystem::exists(Dir / "out" / "Guide.NPC"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "out" / "Guide_2.NPC"));
    EXPECT_TRUE(std::filesystem::exists(Dir / "out" / "guide_2_2.NPC"));
    EXPECT_THAT(Out.str(), HasSubstr("Hidden: skipped, a floating NPC"));
}

TEST(ImportFileNames, AreSafeAndUnique)
{
    std::set<std::string> used;
    std::vector<std::string> names;
    for (const char* npc : {"Kafra Employee::kaf_prontera", "Kafra Employee::kaf_2", "../../etc", "Marx Hansen#juice",
                            "", "\xC4rger"})
        names.push_back(ProjectFileNameFor(npc, used));
    EXPECT_THAT(names, ::testing::ElementsAre("Kafra_Employee.NPC", "Kafra_Employee_2.NPC", "etc.NPC",
                                              "Marx_Hansen_juice.NPC", "npc.NPC", "rger.NPC"));
}

// Every NPC of the server's own scripts that can be imported is, and passes its proof.
TEST(ImportCorpus, EveryImportableNpcOfTheServersScriptsPassesItsProof)
{
    SKIP_WITHOUT_SHARED_DATA(data);
    TestCatalogues().Clear();
    TestCatalogues().LoadMaps(SourceDir() / "data");
    const auto maps = ProofMaps(TestCatalogues());
    TProofOptions options;
    options.Catalogues = SharedTestCatalogues();
    options.Maps = &maps;
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(data / "npc"))
        if (item.path().extension() == ".txt")
            files.push_back(item.path());
    std::sort(files.begin(), files.end());
    int npcs = 0, proved = 0, paths = 0;
    TImportStats stats;
    std::vector<std::string> failures;
    for (const auto& file : files) {
        const TImportSource source(file.filename().string(), ReadWholeFile(file.string()));
        for (const TImportCandidate& c : ListCandidates(source)) {
            if (!c.Importable)
                continue;
            ++npcs;
            try {
                const TProvedImport result = ImportAndProve(source, source.File.Entries[c.Entry], options);
                ++proved;
                paths += result.Proof.Paths;
                stats.Statements += result.Import.Stats.Statements;
                stats.Structured += result.Import.Stats.Structured;
            } catch (const EImportError& error) {
                failures.push_back(source.FileName + ": " + error.what());
            }
        }
    }
    EXPECT_EQ(files.size(), 53u);
    EXPECT_GT(npcs, 0);
    EXPECT_THAT(failures, ::testing::IsEmpty());
    std::cout << "[ figures  ] " << files.size() << " files, " << proved << " of " << npcs
              << " importable NPCs imported and proved on " << paths << " menu paths; " << stats.Structured
              << " of " << stats.Statements << " statements structured\n";
}

} // namespace
