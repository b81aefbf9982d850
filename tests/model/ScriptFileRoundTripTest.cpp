// The round trip over the servers' own script files: each opens, every importable NPC imports,
// saving with nothing changed writes the file byte for byte, and one NPC written back in the
// editor's form changes only that NPC's bytes while the server's checker still loads the file and
// the import's proof holds for what was written.

#include "ModelFixture.h"
#include "TestSupport.h"

#include "import/ImportProof.h"
#include "output/Export.h"
#include "workspace/WriteBack.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

struct TRoundTripCounts {
    int Files = 0, Refused = 0, Npcs = 0, Imported = 0, WrittenBack = 0;
};

std::vector<fs::path> ScriptFiles(const fs::path& npcFolder)
{
    std::vector<fs::path> files;
    for (const auto& item : fs::recursive_directory_iterator(npcFolder))
        if (item.is_regular_file() && item.path().extension() == ".txt")
            files.push_back(item.path());
    std::sort(files.begin(), files.end());
    return files;
}

class ScriptFileRoundTripTest : public ModelTest {
protected:
    // Writes the first NPC whose import proves back in the editor's form; false when none does.
    bool WriteOneBack(TScriptWorkspace& workspace, const TProofOptions& options)
    {
        const std::unique_ptr<TImportSource> source = workspace.FullSource();
        for (std::size_t part : workspace.EntryParts()) {
            const TScriptPart& p = workspace.Parts()[part];
            if (!p.Importable)
                continue;
            const script::TTopLevel& entry = source->File.Entries[p.Entry];
            std::optional<TProvedImport> proved;
            try {
                proved = ImportAndProve(*source, entry, options);
            } catch (const EImportError&) {
                continue;  // such an NPC opens as code: nothing is written back from tasks
            }
            const std::string before = workspace.Bytes();
            WriteNpcInto(workspace, part, *proved->Import.Project, proved->Import.OriginalMap);
            ExpectOnlyPartChanged(workspace, part, before);
            // What was written is the proved script's NPC part, in the file's line end.
            std::vector<std::string> lines =
                SplitSourceLines(NpcScriptText(*proved->Import.Project, proved->Import.OriginalMap).Text);
            lines.pop_back();
            EXPECT_EQ(workspace.CurrentText(part), JoinLines(lines, workspace.LineEndOf(part)));
            for (const TSaveProblem& problem : workspace.CheckNewBytes())
                EXPECT_FALSE(problem.New) << workspace.FileName() << ":" << problem.Diagnostic.Range.Begin.Line << ": "
                                          << problem.Diagnostic.Message;
            return true;
        }
        return false;
    }

    static void ExpectOnlyPartChanged(const TScriptWorkspace& workspace, std::size_t part, const std::string& before)
    {
        const std::string after = workspace.NewBytes();
        const TScriptPart& p = workspace.Parts()[part];
        EXPECT_EQ(after.substr(0, p.Begin), before.substr(0, p.Begin)) << workspace.FileName();
        const std::size_t tail = before.size() - p.End;
        ASSERT_GE(after.size(), tail);
        EXPECT_EQ(after.substr(after.size() - tail), before.substr(p.End)) << workspace.FileName();
    }
};

TEST_F(ScriptFileRoundTripTest, EveryServerScriptFile)
{
    SKIP_WITHOUT_SHARED_DATA(eathena);
    TRoundTripCounts counts;
    const std::pair<const char*, script::TTarget> servers[] = {
        {"eathena", script::TTarget::EAthena}, {"rathena", script::TTarget::RAthena}, {"hercules", script::TTarget::Hercules}};
    TTempDir dir;
    for (const auto& [folder, target] : servers) {
        const fs::path npc = eathena.parent_path() / folder / "npc";
        if (!fs::is_directory(npc))
            continue;
        TProofOptions options;
        options.Catalogues = SharedTestCatalogues();
        options.Target = target;
        for (const fs::path& path : ScriptFiles(npc)) {
            ++counts.Files;
            const fs::path copy = dir / "copy.txt";
            fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
            std::unique_ptr<TScriptWorkspace> workspace;
            try {
                workspace = TScriptWorkspace::Open(copy.string(), target);
            } catch (const EInOutError& error) {
                // The servers' load-order lists sit among the scripts: a list of files is no script.
                ++counts.Refused;
                EXPECT_EQ(path.filename(), "load-order.txt") << error.what();
                EXPECT_THAT(error.what(), ::testing::HasSubstr("copy.txt: not a script file: line 1"));
                continue;
            }
            const std::unique_ptr<TImportSource> source = workspace->FullSource();
            for (std::size_t part : workspace->EntryParts()) {
                const TScriptPart& p = workspace->Parts()[part];
                counts.Npcs += p.Kind == TPartKind::Npc;
                if (!p.Importable)
                    continue;
                const TImportResult import = ImportNpc(*source, source->File.Entries[p.Entry], SharedTestCatalogues(), target);
                counts.Imported += import.Project != nullptr;
            }
            // Opened as tasks and left alone: nothing is replaced, the save is byte for byte.
            workspace->Save();
            EXPECT_EQ(ReadBytes(copy), ReadBytes(path)) << path;
            counts.WrittenBack += WriteOneBack(*workspace, options);
        }
    }
    RecordProperty("files", counts.Files);
    std::printf("round trip: %d files (%d refused), %d NPCs, %d imported as tasks, %d files with one NPC written back\n",
                counts.Files, counts.Refused, counts.Npcs, counts.Imported, counts.WrittenBack);
    EXPECT_GT(counts.WrittenBack, 0);
}

} // namespace
