// How close the import comes to the author's own script, over the shared sample files of each
// server (those its lists load, in their order): the share of statements that became tasks other
// than manual code, and the gotos and labels of the written scripts against the originals';
// written back into their file as `npc-export --into` does, the share of files left
// byte-identical, and with one message line changed, the share that differ in exactly that line;
// of the lines so edited (and of those where a Set task's value changed), the share written in the
// NPC's style: at the indent of the line they replace, and in no form the NPC's own text votes against.
// Prints the figures and holds them to their goals; every import is proved on the way.

#include "ModelFixture.h"
#include "TestSupport.h"

#include "import/Import.h"
#include "import/ImportProof.h"
#include "lsp/LoadOrder.h"
#include "model/ActionTasks.h"
#include "model/CodeTasks.h"
#include "model/MessageTasks.h"
#include "model/ScriptStyle.h"
#include "workspace/WriteBack.h"
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
    int Identical = 0;              // written back unchanged: the file byte for byte
    int WithMessage = 0, OneLine = 0;  // one message line changed: the file differs in that line only
    int Edited = 0, InStyle = 0;       // edited lines, and those in the NPC's style
    TImportStats Stats;
    TJumpCount Original, Written;
    std::vector<std::string> Failures;
};

// How many lines of two texts differ, when they have as many lines; -1 when they have not.
int LinesChanged(const std::string& a, const std::string& b)
{
    const std::vector<std::string> x = SplitSourceLines(a), y = SplitSourceLines(b);
    if (x.size() != y.size())
        return -1;
    int changed = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        changed += x[i] != y[i] ? 1 : 0;
    return changed;
}

// Each line of written that is not as in original (of as many lines) against the line it replaces:
// its indent, and the choices of style it makes, which must be npc's.
void CountStyledLines(const std::string& written, const std::string& original, const TScriptStyle& npc,
                      script::TTarget target, TFigures& figures)
{
    const std::vector<std::string> now = SplitSourceLines(written), before = SplitSourceLines(original);
    const auto indent = [](const std::string& line) { return line.substr(0, line.find_first_not_of(" \t")); };
    for (std::size_t i = 0; now.size() == before.size() && i < now.size(); ++i)
        if (now[i] != before[i]) {
            TStyleDetector detector(target);
            detector.Read({now[i]});
            TScriptStyle line = detector.Style(npc);
            line.IndentUnit = npc.IndentUnit;  // one line shows its depth, not its unit
            ++figures.Edited;
            figures.InStyle += line == npc && indent(now[i]) == indent(before[i]) ? 1 : 0;
        }
}

// The NPC written back into its file as npc-export --into writes it: unchanged, with its first
// message's first line changed, and with its first Set task's value changed too.
void MeasureWriteBack(const TImportSource& source, std::size_t entry, const TImportResult& import,
                      script::TTarget target, TFigures& figures)
{
    TScriptWorkspace workspace(source.FileName, source.Text, target);
    const std::size_t part = workspace.PartOfEntry(entry);
    WriteNpcInto(workspace, part, *import.Project, import.OriginalMap);
    figures.Identical += workspace.NewBytes() == source.Text ? 1 : 0;
    TStyleDetector detector(target);
    detector.Read(SplitSourceLines(source.Slice(source.File.Entries[entry].Body->Range)));
    const TScriptStyle npc = detector.Style();
    const TTaskList& tasks = import.Project->TaskList;
    std::string edited = source.Text;
    for (int i = 0; i < tasks.TaskCount(); ++i)
        if (auto* message = dynamic_cast<TMessageTask*>(tasks.TaskAt(i)); message && !message->Lines.empty()) {
            ++figures.WithMessage;
            message->Lines.front() += " (changed)";
            WriteNpcInto(workspace, part, *import.Project, import.OriginalMap);
            figures.OneLine += LinesChanged(workspace.NewBytes(), source.Text) == 1 ? 1 : 0;
            CountStyledLines(workspace.NewBytes(), source.Text, npc, target, figures);
            edited = workspace.NewBytes();
            break;
        }
    for (int i = 0; i < tasks.TaskCount(); ++i)
        if (auto* set = dynamic_cast<TSetTask*>(tasks.TaskAt(i))) {
            set->Expression += " + 0";
            WriteNpcInto(workspace, part, *import.Project, import.OriginalMap);
            CountStyledLines(workspace.NewBytes(), edited, npc, target, figures);
            break;
        }
}

TFigures Measure(const std::filesystem::path& npcFolder, script::TTarget target)
{
    TFigures figures;
    // The files the server loads, in its order; a tree without the server's lists, every file.
    std::vector<std::filesystem::path> files;
    const lsp::TServerTree tree = lsp::ReadServerTree(npcFolder.parent_path(), target);
    for (const std::string& file : tree.Files)
        if (std::filesystem::path(file).extension() == ".txt")
            files.push_back(tree.Root / file);
    if (files.empty()) {
        for (const auto& item : std::filesystem::recursive_directory_iterator(npcFolder))
            if (item.path().extension() == ".txt")
                files.push_back(item.path());
        std::sort(files.begin(), files.end());
    }
    const auto maps = ProofMaps(TestCatalogues());
    TProofOptions options;
    options.Catalogues = SharedTestCatalogues();
    options.Target = target;
    options.Maps = &maps;
    for (const auto& file : files) {
        ++figures.Files;
        const TImportSource source(file.filename().string(), ReadWholeFile(file.string()), target);
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
                MeasureWriteBack(source, c.Entry, result.Import, target, figures);
            } catch (const EImportError& error) {
                figures.Failures.push_back(source.FileName + ": " + error.what());
            }
        }
    }
    return figures;
}

double Share(int part, int whole)
{
    return whole ? 100.0 * part / whole : 0.0;
}

class ImportMeasureTest : public ModelTest, public ::testing::WithParamInterface<TServerFolder> {};

TEST_P(ImportMeasureTest, StructureAndFidelityMeetTheirGoals)
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
              << f.Original.Labels << "; written back unchanged, " << f.Identical << " of " << f.Proved
              << " files byte-identical (" << Share(f.Identical, f.Proved) << " %); one message line changed, "
              << f.OneLine << " of " << f.WithMessage << " differ in that line alone ("
              << Share(f.OneLine, f.WithMessage) << " %); edited lines in the NPC's style, " << f.InStyle << " of "
              << f.Edited << " (" << Share(f.InStyle, f.Edited) << " %)\n";
    EXPECT_THAT(f.Failures, ::testing::IsEmpty());
    EXPECT_GT(f.Npcs, 0);
    EXPECT_GE(share, 85.0);
    EXPECT_LE(f.Written.Gotos, 2 * f.Original.Gotos);
    EXPECT_LE(2 * f.Written.Labels, 3 * f.Original.Labels);
    EXPECT_GE(Share(f.Identical, f.Proved), 98.0);
    EXPECT_GE(Share(f.OneLine, f.WithMessage), 95.0);
    EXPECT_GE(Share(f.InStyle, f.Edited), 95.0);
}

INSTANTIATE_TEST_SUITE_P(Servers, ImportMeasureTest,
                         ::testing::Values(TServerFolder{"eathena", script::TTarget::EAthena},
                                           TServerFolder{"rathena", script::TTarget::RAthena},
                                           TServerFolder{"hercules", script::TTarget::Hercules}),
                         [](const auto& info) { return std::string(info.param.Folder); });

} // namespace
