// What the import keeps of an NPC beside its tree: the map as the script names it (compared as the
// servers compare map names), the touch area, warp maps, and the author's header as written; and,
// over the server's own scripts, every map and touch area through import, save, load and write.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "model/ActionTasks.h"
#include "model/ProjectFile.h"
#include "model/ScriptWriter.h"
#include "output/Export.h"
#include "import/Import.h"
#include "import/ImportKept.h"
#include "platform/FileAccess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

using ::testing::HasSubstr;

namespace {

std::string NpcWithHead(const std::string& head, const std::string& body = "\tclose;")
{
    return head + "\n" + body + "\n}\n";
}

// What the editor writes for the project's records and tasks (not the source an import keeps).
std::vector<std::string> WrittenLines(const TProject& project)
{
    std::vector<std::string> lines = SplitSourceLines(TreeScriptText(project).Text);
    lines.pop_back();
    return lines;
}

// The project's bytes for what its records and tasks need, without the source an import keeps.
std::string TreeBytes(TProject& project)
{
    DropKeptSource(project);
    return SaveProjectBytes(project);
}

// Comment lines as a script file holds them, one line each.
std::string FileLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string NpcLineOf(const TProject& project)
{
    for (const std::string& line : WrittenLines(project))
        if (line.find("\tscript\t") != std::string::npos)
            return line;
    return {};
}

struct MapNameRow {
    const char* Name;
    const char* A;
    const char* B;
    bool Same;
};

class SameMapNameTest : public ::testing::TestWithParam<MapNameRow> {};

// The servers' map index drops a ".gat" in any letter case and compares the rest exactly.
TEST_P(SameMapNameTest, ComparesAsTheServersMapIndex)
{
    EXPECT_EQ(SameMapName(GetParam().A, GetParam().B), GetParam().Same);
    EXPECT_EQ(SameMapName(GetParam().B, GetParam().A), GetParam().Same);
}

INSTANTIATE_TEST_SUITE_P(Names, SameMapNameTest,
                         ::testing::Values(MapNameRow{"SameSpelling", "prontera.gat", "prontera.gat", true},
                                           MapNameRow{"WithoutGat", "prontera", "prontera.gat", true},
                                           MapNameRow{"GatInCapitals", "prontera.GAT", "prontera", true},
                                           MapNameRow{"OtherLetterCase", "Prontera", "prontera", false},
                                           MapNameRow{"OtherMap", "izlude", "prontera", false},
                                           MapNameRow{"GatTwice", "prontera.gat.gat", "prontera", false},
                                           MapNameRow{"OtherExtension", "prontera.rsw", "prontera", false}),
                         TNameOfRow());

struct TouchRow {
    const char* Name;
    const char* Field;  // the sprite field as the reader gives it, before the body's brace
    std::optional<TTouchArea> Touch;
};

class TouchAreaTest : public ::testing::TestWithParam<TouchRow> {};

// Worked examples of the servers' "%d,%d,%d": `111,3,2,` touches 3 cells left and right, 2 above
// and below.
TEST_P(TouchAreaTest, ReadsTheSpriteFieldAsTheServersDo)
{
    EXPECT_EQ(TouchAreaOf(GetParam().Field), GetParam().Touch);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TouchAreaTest,
    ::testing::Values(TouchRow{"SpriteOnly", "111,", std::nullopt}, TouchRow{"Area", "111,3,2,", TTouchArea{3, 2}},
                      TouchRow{"NoCells", "45,0,0,", TTouchArea{0, 0}},
                      TouchRow{"Negative", "111,-1,2,", TTouchArea{-1, 2}},
                      TouchRow{"BlanksBeforeNumbers", "111, 2,\t4,", TTouchArea{2, 4}},
                      TouchRow{"BlankBeforeTheComma", "111,2 ,4,", std::nullopt},
                      TouchRow{"OneNumber", "111,2,", std::nullopt}, TouchRow{"Letters", "111,a,4,", std::nullopt},
                      TouchRow{"SpriteConstant", "4_F_KAFRA1,1,1,", TTouchArea{1, 1}},
                      TouchRow{"HiddenSprite", "-1,", std::nullopt}),
    TNameOfRow());

class ImportNpcFieldsTest : public ModelTest {};

struct NpcLineRow {
    const char* Name;
    const char* Head;
    TServerTarget Target;
    std::int32_t MapIndex;
    const char* Written;  // the NPC line written back
};

class ImportNpcLineTest : public ModelTest, public ::testing::WithParamInterface<NpcLineRow> {};

// The NPC line written for an imported NPC is the author's: the map as named, the touch area.
TEST_P(ImportNpcLineTest, IsWrittenBackAsTheScriptHadIt)
{
    const NpcLineRow& row = GetParam();
    const TImportSource source("t.txt", NpcWithHead(row.Head));
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues(), row.Target);
    EXPECT_EQ(result.Project->NPCInfo.MapIndex, row.MapIndex);
    EXPECT_EQ(NpcLineOf(*result.Project), row.Written);
    const std::string bytes = SaveProjectBytes(*result.Project);
    EXPECT_EQ(NpcLineOf(*ReadProjectBytes("again.NPC", bytes, SharedTestCatalogues(), row.Target)), row.Written);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ImportNpcLineTest,
    ::testing::Values(
        NpcLineRow{"CatalogueMap", "izlude.gat,12,34,6\tscript\tPorter\t800,{", TServerTarget::EAthena, 1,
                   "izlude.gat,12,34,6\tscript\tPorter\t800,{"},
        NpcLineRow{"MapWithoutGat", "izlude,12,34,6\tscript\tPorter\t800,{", TServerTarget::EAthena, 1,
                   "izlude,12,34,6\tscript\tPorter\t800,{"},
        NpcLineRow{"MapTheCatalogueLacks", "payon_in03.gat,1,2,3\tscript\tGuard\t45,{", TServerTarget::EAthena, -1,
                   "payon_in03.gat,1,2,3\tscript\tGuard\t45,{"},
        NpcLineRow{"TouchArea", "prontera.gat,150,180,4\tscript\tTrap\t111,3,2,{", TServerTarget::EAthena, 0,
                   "prontera.gat,150,180,4\tscript\tTrap\t111,3,2,{"},
        NpcLineRow{"TouchAreaForHercules", "prontera,150,180,4\tscript\tTrap\t111,1,1,{", TServerTarget::Hercules, 0,
                   "prontera,150,180,4\tscript\tTrap\tHIDDEN_NPC,1,1,{"},
        NpcLineRow{"TouchAreaForRAthena", "prontera,150,180,4\tscript\tTrap\t45,0,5,{", TServerTarget::RAthena, 0,
                   "prontera,150,180,4\tscript\tTrap\t45,0,5,{"}),
    TNameOfRow());

TEST_F(ImportNpcFieldsTest, MapTheCatalogueLacksIsKeptSavedAndExported)
{
    const TImportSource source("t.txt", NpcWithHead("my_town,1,2,3\tscript\tGuide\t45,{"));
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    ASSERT_EQ(result.Notes.size(), 1u);
    EXPECT_THAT(result.Notes[0], HasSubstr("my_town is not in the map catalogue: it is kept"));
    // Save Output refused an NPC without a catalogue map; this one has its map.
    const TExportedScript script = ScriptText(*result.Project);
    EXPECT_THAT(script.Problems, ::testing::IsEmpty());
    EXPECT_THAT(script.Text, HasSubstr("my_town,1,2,3\tscript\tGuide\t45,{\r\n"));
}

struct WarpRow {
    const char* Name;
    const char* Statement;
    std::int32_t MapIndex;   // the warp's map argument
    const char* MapName;     // kept beside it; empty when the catalogue writes it so
    std::int32_t Version;    // of the project file: 259 already for the imported start, which writes no label
};

class ImportWarpTest : public ModelTest, public ::testing::WithParamInterface<WarpRow> {};

// A warp becomes a Warp action whatever way the script names a map the server knows, and is
// written back as the script named it.
TEST_P(ImportWarpTest, BecomesAWarpActionWithItsMap)
{
    const WarpRow& row = GetParam();
    const TImportSource source("t.txt", NpcWithHead("prontera.gat,1,2,3\tscript\tGuide\t45,{", std::string("\t") + row.Statement));
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    const TTaskNode* node = result.Project->TaskTree.GetFirstNode()->Child(0);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->Data()->Kind(), TTaskKind::Action);
    const auto& warp = static_cast<const TActionTask&>(*node->Data());
    EXPECT_EQ(warp.Action, ActionAt(13));
    EXPECT_EQ(warp.GetParam(0), row.MapIndex);
    EXPECT_EQ(warp.MapName, row.MapName);
    const std::vector<std::string> lines = WrittenLines(*result.Project);
    EXPECT_THAT(lines, ::testing::Contains(std::string("\t\t") + row.Statement));
    const std::string bytes = TreeBytes(*result.Project);
    EXPECT_EQ(bytes.substr(0, 4), Int32(row.Version));
    EXPECT_EQ(WrittenLines(*ReadProjectBytes("again.NPC", bytes, SharedTestCatalogues())), lines);
}

INSTANTIATE_TEST_SUITE_P(Warps, ImportWarpTest,
                         ::testing::Values(WarpRow{"CatalogueSpelling", "warp \"izlude.gat\", 10, 20;", 1, "", 259},
                                           WarpRow{"WithoutGat", "warp \"izlude\", 10, 20;", 1, "izlude", 259},
                                           WarpRow{"MapTheCatalogueLacks", "warp \"payon.gat\", 5, 6;", -1, "payon.gat",
                                                   259}),
                         TNameOfRow());

// A header with a section the editor has no field for, a line of a field's section that is not
// "//=" and a Description of two lines: imported, it is written back line for line, and no line
// names the editor.
TEST_F(ImportNpcFieldsTest, AuthorsHeaderIsWrittenBackAsWritten)
{
    const std::vector<std::string> header = {
        "//===== eAthena Script ======================================= ",
        "//= Kiel Hyre Quest",
        "//===== By: ==================================================",
        "//= L0ne_W0lf",
        "//===== Current Version: =====================================",
        "//= 4.6",
        "//===== Compatible With: =====================================",
        "//= eAthena SVN",
        "//===== Description: =========================================",
        "//= Opens the factory's",
        "//= first and second floors.",
        "//===== Comments: ============================================",
        "//= See below",
        "//===== Additional Comments: =================================",
        "//= 1.0 First version",
        "//= 1.7 Corrected some spelling mistakes.",
        "//============================================================",
    };
    const TImportSource source("t.txt", FileLines(header) + NpcWithHead("prontera.gat,1,2,3\tscript\tGuide\t45,{"));
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    const TNPCHeader& read = result.Project->HeaderInfo;
    EXPECT_TRUE(read.AuthorsHeader);
    EXPECT_EQ(read.Description, "Opens the factory's\r\nfirst and second floors.");
    EXPECT_EQ(read.OtherSections, "//===== Comments: ============================================\r\n//= See below");
    EXPECT_EQ(read.Comments, "1.0 First version\r\n1.7 Corrected some spelling mistakes.");
    std::vector<std::string> expected = header;
    expected[0] = "//===== eAthena Script =======================================";  // the writer's ruler
    const std::vector<std::string> lines = WrittenLines(*result.Project);
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
    // Kept through the project file, which is version 259 for it.
    const std::string bytes = TreeBytes(*result.Project);
    EXPECT_EQ(bytes.substr(0, 4), Int32(259));
    EXPECT_EQ(ReadProjectBytes("again.NPC", bytes, SharedTestCatalogues())->HeaderInfo, read);
}

// A script this editor wrote keeps its credit line on the way back, and needs nothing new: for
// every server, whose own ruler opens the header.
struct OwnHeaderRow {
    const char* Name;
    TServerTarget Target;
    const char* Ruler;
    std::int32_t Version;  // of the project imported: rAthena's and Hercules' maps have no ".gat"
};

class EditorsOwnHeaderTest : public ImportNpcFieldsTest, public ::testing::WithParamInterface<OwnHeaderRow> {};

TEST_P(EditorsOwnHeaderTest, StaysTheEditorsWithTheServersRuler)
{
    TProject written(SharedTestCatalogues());
    written.NPCInfo.Name = "Guide";
    written.NPCInfo.SpriteID = 45;
    ChangeServerTarget(written.HeaderInfo, GetParam().Target);
    written.HeaderInfo.ScriptName = "Guide Quest";
    written.HeaderInfo.Author = "Vask";
    const std::string script = ScriptText(written).Text;
    EXPECT_EQ(script.substr(0, script.find("\r\n")), GetParam().Ruler);
    const TImportSource source("t.txt", script, GetParam().Target);
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues(), GetParam().Target);
    const TNPCHeader& read = result.Project->HeaderInfo;
    EXPECT_FALSE(read.AuthorsHeader);
    EXPECT_EQ(read.ScriptName, "Guide Quest");
    EXPECT_EQ(read.Author, "Vask");
    EXPECT_EQ(TreeBytes(*result.Project).substr(0, 4), Int32(GetParam().Version));
    EXPECT_EQ(JoinScriptLines(WrittenLines(*result.Project)).substr(0, 400), script.substr(0, 400));
}

INSTANTIATE_TEST_SUITE_P(
    Servers, EditorsOwnHeaderTest,
    ::testing::Values(
        // An eAthena project's script stays byte for byte what it always was.
        OwnHeaderRow{"EAthena", TServerTarget::EAthena, "//===== eAthena Script =======================================", 258},
        OwnHeaderRow{"RAthena", TServerTarget::RAthena, "//===== rAthena Script =======================================", 259},
        OwnHeaderRow{"Hercules", TServerTarget::Hercules,
                     "//================= Hercules Script =======================================", 259}),
    TNameOfRow());

// Hercules' own scripts open with its ruler but go on in a layout of their own (a "License"
// section, the name after the closing ruler): no field of the editor's header is taken from it,
// and every line is kept in the comments.
TEST_F(ImportNpcFieldsTest, HerculesOwnHeaderLayoutIsKeptAsComments)
{
    const std::vector<std::string> header = {
        "//================= Hercules Script =======================================",
        "//= Art",
        "//================= License ===============================================",
        "//= This file is part of Hercules.",
        "//=========================================================================",
        "//= High Wizard Jobchanger",
    };
    const TImportSource source("t.txt", FileLines(header) + NpcWithHead("prontera,1,2,3\tscript\tGuide\t45,{"), TServerTarget::Hercules);
    const TImportResult imported = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues(), TServerTarget::Hercules);
    const TNPCHeader& read = imported.Project->HeaderInfo;
    EXPECT_EQ(read.ScriptName, DefaultHeader().ScriptName);
    EXPECT_TRUE(read.OtherSections.empty());
    for (const char* kept : {"Art", "License", "This file is part of Hercules.", "High Wizard Jobchanger"})
        EXPECT_NE(read.Comments.find(kept), std::string::npos) << kept;
}

// Every importable NPC of the server's own scripts: its map and touch area are the same after
// import, saving, loading and writing its script again, which the script reader reads back.
TEST(ImportCorpusFields, EveryMapAndTouchAreaIsKeptThroughImportSaveLoadAndWrite)
{
    SKIP_WITHOUT_SHARED_DATA(data);
    TestCatalogues().Clear();
    TestCatalogues().LoadMaps(SourceDir() / "data");
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(data / "npc"))
        if (item.path().extension() == ".txt")
            files.push_back(item.path());
    std::sort(files.begin(), files.end());
    int npcs = 0, refused = 0, kept = 0, touch = 0, uncatalogued = 0;
    std::vector<std::string> lost;
    for (const auto& file : files) {
        const TImportSource source(file.filename().string(), ReadWholeFile(file.string()));
        for (const TImportCandidate& c : ListCandidates(source)) {
            if (!c.Importable)
                continue;
            ++npcs;
            const script::TTopLevel& entry = source.File.Entries[c.Entry];
            std::unique_ptr<TProject> project;
            try {
                project = ImportNpc(source, entry, SharedTestCatalogues()).Project;
            } catch (const EImportError&) {
                ++refused;  // a label clash: nothing is imported, so nothing is lost
                continue;
            }
            const std::optional<TTouchArea> area = TouchAreaOf(entry.Fields[3].Text);
            touch += area ? 1 : 0;
            uncatalogued += project->NPCInfo.MapIndex < 0 ? 1 : 0;
            const auto loaded = ReadProjectBytes("p.NPC", SaveProjectBytes(*project), SharedTestCatalogues());
            const TImportSource written("w.txt", ScriptText(*loaded).Text);
            const script::TTopLevel& back = written.File.Entries.at(0);
            if (back.Map == entry.Map && TouchAreaOf(back.Fields[3].Text) == area)
                ++kept;
            else
                lost.push_back(source.FileName + ": " + entry.Name + " (" + entry.Map + " -> " + back.Map + ")");
        }
    }
    EXPECT_THAT(lost, ::testing::IsEmpty());
    EXPECT_EQ(kept + refused, npcs);
    EXPECT_GT(touch, 0);
    std::cout << "[ figures  ] " << kept << " of " << npcs << " importable NPCs keep map and touch area (" << refused
              << " refused by the import); " << touch << " with a touch area, " << uncatalogued
              << " on a map the catalogue lacks\n";
}

}  // namespace
