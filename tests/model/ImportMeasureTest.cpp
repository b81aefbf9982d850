// How close the import comes to the author's own script, over the shared sample files of each
// server: the share of statements that became tasks other than manual code, and the gotos and
// labels of the written scripts against the originals'. Prints the figures and holds them to
// their goals; every import is proved on the way.

#include "ModelFixture.h"
#include "TestSupport.h"

#include "import/Import.h"
#include "import/ImportProof.h"
#include "model/ActionTasks.h"
#include "platform/FileAccess.h"
#include "script/FileReader.h"
#include "script/PlayProgram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace {

struct TJumpCount {
    long Gotos = 0;
    long Labels = 0;
};

void CountJumps(const script::TStmt& s, TJumpCount& count)
{
    if (s.Kind == script::TStmtKind::Label)
        ++count.Labels;
    if (s.Kind == script::TStmtKind::Command && script::LowerCase(s.Name) == "goto")
        ++count.Gotos;
    for (const script::TStmt* child : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
        if (child)
            CountJumps(*child, count);
    for (const auto& child : s.Children)
        CountJumps(*child, count);
}

TJumpCount JumpsOfScript(const std::string& text)
{
    TJumpCount count;
    const script::TScriptFile file = script::ReadScriptFile(text);
    for (const script::TTopLevel& entry : file.Entries)
        if (entry.Kind == script::TTopKind::Script && entry.Body)
            CountJumps(*entry.Body, count);
    return count;
}

struct TServerFolder {
    const char* Folder;
    script::TTarget Target;
};

struct TFigures {
    int Files = 0, Npcs = 0, Proved = 0;
    TImportStats Stats;
    TJumpCount Original, Written;
    std::vector<std::string> Failures;
};

TFigures Measure(const std::filesystem::path& npcFolder, script::TTarget target)
{
    TFigures figures;
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(npcFolder))
        if (item.path().extension() == ".txt")
            files.push_back(item.path());
    std::sort(files.begin(), files.end());
    const auto maps = ProofMaps(TestCatalogues());
    TProofOptions options;
    options.Catalogues = SharedTestCatalogues();
    options.Target = target;
    options.Maps = &maps;
    for (const auto& file : files) {
        ++figures.Files;
        const TImportSource source(file.filename().string(), ReadWholeFile(file.string()));
        for (const TImportCandidate& c : ListCandidates(source)) {
            if (!c.Importable)
                continue;
            ++figures.Npcs;
            const script::TTopLevel& entry = source.File.Entries[c.Entry];
            try {
                const TProvedImport result = ImportAndProve(source, entry, options);
                ++figures.Proved;
                figures.Stats.Statements += result.Import.Stats.Statements;
                figures.Stats.Structured += result.Import.Stats.Structured;
                CountJumps(*entry.Body, figures.Original);
                const TJumpCount written = JumpsOfScript(result.Proof.Script);
                figures.Written.Gotos += written.Gotos;
                figures.Written.Labels += written.Labels;
            } catch (const EImportError& error) {
                figures.Failures.push_back(source.FileName + ": " + error.what());
            }
        }
    }
    return figures;
}

class ImportMeasureTest : public ModelTest, public ::testing::WithParamInterface<TServerFolder> {};

TEST_P(ImportMeasureTest, StructuredShareGotosAndLabelsMeetTheirGoals)
{
    SKIP_WITHOUT_SHARED_DATA(eathena);
    const std::filesystem::path folder = eathena.parent_path() / GetParam().Folder / "npc";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "the server data folder " << GetParam().Folder << "/npc is not present";
    TestCatalogues().LoadMaps(SourceDir() / "data");
    const TFigures f = Measure(folder, GetParam().Target);
    const double share = f.Stats.Statements ? 100.0 * f.Stats.Structured / f.Stats.Statements : 0.0;
    std::cout << "[ figures  ] " << GetParam().Folder << ": " << f.Files << " files, " << f.Proved << " of "
              << f.Npcs << " NPCs imported and proved; " << f.Stats.Structured << " of " << f.Stats.Statements
              << " statements structured (" << share << " %); gotos " << f.Written.Gotos << " written for "
              << f.Original.Gotos << " in the originals; labels " << f.Written.Labels << " for "
              << f.Original.Labels << "\n";
    EXPECT_THAT(f.Failures, ::testing::IsEmpty());
    EXPECT_GT(f.Npcs, 0);
    EXPECT_GE(share, 85.0);
    EXPECT_LE(f.Written.Gotos, 2 * f.Original.Gotos);
    EXPECT_LE(2 * f.Written.Labels, 3 * f.Original.Labels);
}

INSTANTIATE_TEST_SUITE_P(Servers, ImportMeasureTest,
                         ::testing::Values(TServerFolder{"eathena", script::TTarget::EAthena},
                                           TServerFolder{"rathena", script::TTarget::RAthena},
                                           TServerFolder{"hercules", script::TTarget::Hercules}),
                         [](const auto& info) { return std::string(info.param.Folder); });

} // namespace
