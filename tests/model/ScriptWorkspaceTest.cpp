// A script file open for editing: its parts (entries and the text between them) cover the file
// exactly, an edit replaces an entry's bytes in the file's own line end and nothing else, and
// what is no script is refused with a message before anything could be written.

#include "ModelFixture.h"
#include "TestSupport.h"

#include "output/Export.h"
#include "workspace/ScriptWorkspace.h"
#include "workspace/WriteBack.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using ::testing::HasSubstr;

namespace {

constexpr const char* GuideEntry = "prontera,150,150,4\tscript\tGuide\t113,{\n\tmes \"Hi\";\n\tclose;\n}";

std::unique_ptr<TScriptWorkspace> Read(const std::string& bytes)
{
    return std::make_unique<TScriptWorkspace>("test.txt", bytes, script::TTarget::EAthena);
}

// Every part as "kind name first-last", with "!" for an importable entry.
std::string Layout(const TScriptWorkspace& workspace)
{
    std::string text;
    for (const TScriptPart& part : workspace.Parts())
        text += std::string(text.empty() ? "" : "|") + PartKindName(part.Kind) + (part.Importable ? "!" : "") +
                (part.Name.empty() ? "" : " " + part.Name) + " " + std::to_string(part.FirstLine) + "-" +
                std::to_string(part.LastLine);
    return text;
}

struct PartsRow {
    const char* Name;
    std::string Bytes;
    const char* Layout;
};

class ScriptPartsTest : public ::testing::TestWithParam<PartsRow> {};

TEST_P(ScriptPartsTest, PartsCoverTheFileInOrder)
{
    const auto workspace = Read(GetParam().Bytes);
    EXPECT_EQ(Layout(*workspace), GetParam().Layout);
    std::string joined;
    std::size_t at = 0;
    for (std::size_t i = 0; i < workspace->Parts().size(); ++i) {
        EXPECT_EQ(workspace->Parts()[i].Begin, at) << "part " << i;
        at = workspace->Parts()[i].End;
        joined += workspace->PartText(i);
    }
    EXPECT_EQ(joined, GetParam().Bytes);
    EXPECT_EQ(workspace->NewBytes(), GetParam().Bytes);
    EXPECT_FALSE(workspace->IsModified());
}

INSTANTIATE_TEST_SUITE_P(
    Files, ScriptPartsTest,
    ::testing::Values(
        PartsRow{"Empty", "", "text 1-1"},
        PartsRow{"OneNpcNoFinalLineEnd", GuideEntry, "text 1-1|NPC! Guide 1-4|text 4-4"},
        PartsRow{"CommentsAndBlankLines", "// head\r\n\r\n" + std::string(GuideEntry) + "\r\n/* a\r\nb */\r\n",
                 "text 1-3|NPC! Guide 3-6|text 6-9"},
        PartsRow{"EveryKind",
                 "prontera,150,150,4\tscript\tGuide\t113,{\n\tclose;\n}\n"
                 "function\tscript\tF_Hi\t{\n\treturn;\n}\n"
                 "prontera,151,150,4\tshop\tSeller\t113,501:-1\n"
                 "prontera,152,150,4\tduplicate(Guide)\tGuide2\t113\n"
                 "prontera,10,10,0\twarp\tW1\t1,1,izlude,20,20\n"
                 "prontera,0,0,0,0\tmonster\tPoring\t1002,5,0,0,0\n"
                 "prontera\tmapflag\tnosave\n"
                 "-\tscript\tHidden\t-1,{\n\tend;\n}\n",
                 "text 1-1|NPC! Guide 1-3|text 3-4|function F_Hi 4-6|text 6-7|shop Seller 7-7|text 7-8|"
                 "duplicate Guide2 8-8|text 8-9|warp W1 9-9|text 9-10|monster Poring 10-10|text 10-11|"
                 "map flag nosave 11-11|text 11-12|NPC Hidden 12-14|text 14-15"},
        PartsRow{"AdjacentLinesOneSpaceApart",
                 "prontera,1,1,4\tscript\tA\t113,{ close; }\nprontera,2,2,4\tscript\tB\t113,{ close; }\n",
                 "text 1-1|NPC! A 1-1|text 1-2|NPC! B 2-2|text 2-3"}),
    TNameOfRow{});

// ---- Replacing entries ---------------------------------------------------------------------------

struct EditRow {
    const char* Name;
    std::string Bytes;
    int Entry;          // which entry (from 0) is replaced
    std::string Text;   // its new text, lines split at LF
    std::string Expected;
};

class ScriptEditTest : public ::testing::TestWithParam<EditRow> {};

TEST_P(ScriptEditTest, OnlyTheEntrysBytesChange)
{
    const auto workspace = Read(GetParam().Bytes);
    const std::size_t part = workspace->EntryParts().at(static_cast<std::size_t>(GetParam().Entry));
    workspace->SetPartText(part, GetParam().Text);
    EXPECT_TRUE(workspace->IsChanged(part));
    EXPECT_EQ(workspace->NewBytes(), GetParam().Expected);
    // The same text as read takes the edit back.
    workspace->SetPartText(part, workspace->PartText(part));
    EXPECT_FALSE(workspace->IsModified());
    EXPECT_EQ(workspace->NewBytes(), GetParam().Bytes);
}

const std::string Two = "prontera,1,1,4\tscript\tA\t113,{\r\n\tclose;\r\n}\r\n// between\r\n\r\n"
                        "prontera,2,2,4\tscript\tB\t113,{\r\n\tclose;\r\n}\r\n";

INSTANTIATE_TEST_SUITE_P(
    Edits, ScriptEditTest,
    ::testing::Values(
        EditRow{"CrLfFileGetsCrLfLines", Two, 0, "prontera,1,1,4\tscript\tA\t113,{\n\tmes \"x\";\n\tclose;\n}",
                "prontera,1,1,4\tscript\tA\t113,{\r\n\tmes \"x\";\r\n\tclose;\r\n}\r\n// between\r\n\r\n"
                "prontera,2,2,4\tscript\tB\t113,{\r\n\tclose;\r\n}\r\n"},
        EditRow{"CommentBetweenStays", Two, 1, "prontera,2,2,4\tscript\tB\t113,{\n\tend;\n}",
                "prontera,1,1,4\tscript\tA\t113,{\r\n\tclose;\r\n}\r\n// between\r\n\r\n"
                "prontera,2,2,4\tscript\tB\t113,{\r\n\tend;\r\n}\r\n"},
        EditRow{"EntryAtTheEndWithoutFinalLineEnd", "// x\n" + std::string(GuideEntry), 0,
                "prontera,150,150,4\tscript\tGuide\t113,{\r\n\tend;\r\n}",
                "// x\nprontera,150,150,4\tscript\tGuide\t113,{\n\tend;\n}"},
        EditRow{"AdjacentLines",
                "prontera,1,1,4\tscript\tA\t113,{ close; }\nprontera,2,2,4\tscript\tB\t113,{ close; }\n", 0,
                "prontera,1,1,4\tscript\tA\t113,{\n\tend;\n}",
                "prontera,1,1,4\tscript\tA\t113,{\n\tend;\n}\nprontera,2,2,4\tscript\tB\t113,{ close; }\n"},
        EditRow{"TextAroundOnTheSameLineStays",
                "  prontera,1,1,4\tscript\tA\t113,{ close; } // the end\n", 0, "prontera,1,1,4\tscript\tA\t113,{ end; }",
                "  prontera,1,1,4\tscript\tA\t113,{ end; } // the end\n"},
        EditRow{"MixedLineEndsKeepEachLinesOwn",
                "prontera,1,1,4\tscript\tA\t113,{\r\n\tmes \"a\";\n\tclose;\r\n}\n", 0,
                "prontera,1,1,4\tscript\tA\t113,{\n\tmes \"b\";\n\tnext;\n\tclose;\n}",
                "prontera,1,1,4\tscript\tA\t113,{\r\n\tmes \"b\";\n\tnext;\n\tclose;\r\n}\n"},
        EditRow{"OneLineFileGetsCrLf", "prontera,1,1,4\tscript\tA\t113,{ close; }", 0,
                "prontera,1,1,4\tscript\tA\t113,{\nend;\n}", "prontera,1,1,4\tscript\tA\t113,{\r\nend;\r\n}"},
        EditRow{"LatinOneBytesKept", "// caf\xe9\n" + std::string(GuideEntry) + "\n", 0,
                "prontera,150,150,4\tscript\tGuide\t113,{\n\tmes \"\xe0 bient\xf4t\";\n}",
                "// caf\xe9\nprontera,150,150,4\tscript\tGuide\t113,{\n\tmes \"\xe0 bient\xf4t\";\n}\n"}),
    TNameOfRow{});

TEST(ScriptWorkspaceTest, TwoEditsAreAppliedInFileOrder)
{
    const auto workspace = Read(Two);
    const auto entries = workspace->EntryParts();
    workspace->SetPartText(entries[1], "B2");
    workspace->SetPartText(entries[0], "A2");
    EXPECT_EQ(workspace->NewBytes(), "A2\r\n// between\r\n\r\nB2\r\n");
    workspace->RevertPart(entries[0]);
    EXPECT_EQ(workspace->CurrentText(entries[0]), workspace->PartText(entries[0]));
    EXPECT_EQ(workspace->NewBytes(), "prontera,1,1,4\tscript\tA\t113,{\r\n\tclose;\r\n}\r\n// between\r\n\r\nB2\r\n");
}

TEST(ScriptWorkspaceTest, TextBetweenEntriesIsNoEntry)
{
    const auto workspace = Read(Two);
    EXPECT_THROW(workspace->SetPartText(0, "x"), EListError);
}

// ---- Refusals -----------------------------------------------------------------------------------

struct RefusalRow {
    const char* Name;
    std::string Bytes;
    const char* Message;
};

class ScriptRefusalTest : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(ScriptRefusalTest, NamesTheFileAndSaysWhy)
{
    const std::string error = InOutErrorOf([] { Read(GetParam().Bytes); });
    EXPECT_THAT(error, HasSubstr(GetParam().Message));
    EXPECT_THAT(error, ::testing::StartsWith("test.txt: "));
}

TEST(ScriptWorkspaceTest, ALineTheLoaderSkipsIsKeptAsTextAtTheEndToo)
{
    const std::string bytes = std::string(GuideEntry) + "\nprontera,1,1,4\twarp\tno tabs here\n";
    const auto workspace = Read(bytes);
    ASSERT_EQ(workspace->Parts().size(), 3u);
    EXPECT_EQ(workspace->Parts()[2].Reason, "line 5: cannot read this line: probably a missing or extra tab");
    EXPECT_EQ(workspace->NewBytes(), bytes);
}

TEST(ScriptWorkspaceTest, EntriesAreReadByTheTargetsRules)
{
    const std::string warp2 = "ra_temin,275,243,0\twarp2\trachel87\t1,1,ra_temin,131,131\n";
    EXPECT_EQ(Layout(TScriptWorkspace("r.txt", warp2, script::TTarget::RAthena)), "text 1-1|warp rachel87 1-1|text 1-2");
    // eAthena knows no warp2: a file of nothing else is no script for it.
    EXPECT_THROW(TScriptWorkspace("e.txt", warp2, script::TTarget::EAthena), EInOutError);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ScriptRefusalTest,
    ::testing::Values(
        RefusalRow{"NotAScript", "Dear diary,\ntoday I wrote no script.\n",
                   "not a script file: line 1 begins no NPC, function, shop, warp, monster or map flag"},
        RefusalRow{"Binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "a binary file, not a script (a zero byte at offset 8)"},
        RefusalRow{"Utf16", std::string("/\0/\0 \0h\0i\0", 10), "a binary file"},
        RefusalRow{"BracesNeverClose", std::string(GuideEntry) + "\nprontera,1,1,4\tscript\tB\t113,{\n\tif (1) {\n\tclose;\n}\n",
                   "line 5: missing '}': 1 block(s) still open at the end of the file; the loader stops there"},
        RefusalRow{"StringNeverCloses", "prontera,1,1,4\tscript\tB\t113,{\n\tmes \"Hi;\n}\n",
                   "line 1: newline inside a string"},
        RefusalRow{"TooLarge", std::string(MaxScriptFileSize + 1, '\n'), "the file is 16 MB; script files larger than 16 MB"}),
    TNameOfRow{});

// ---- The file on disk -------------------------------------------------------------------------------

TEST(ScriptWorkspaceFileTest, AFiftyMegabyteFileIsRefusedBeforeItIsRead)
{
    TTempDir dir;
    const std::string path = (dir / "huge.txt").string();
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(50 << 20);
        out.put('\n');
    }
    try {
        TScriptWorkspace::Open(path);
        FAIL() << "opened";
    } catch (const EInOutError& error) {
        EXPECT_THAT(error.what(), HasSubstr("huge.txt: the file is 50 MB; script files larger than 16 MB are not opened"));
    }
}

TEST(ScriptWorkspaceFileTest, SaveWritesOnceAndReadsTheResultAgain)
{
    TTempDir dir;
    const std::string path = (dir / "two.txt").string();
    WriteBytes(path, Two);
    const auto workspace = TScriptWorkspace::Open(path);
    EXPECT_FALSE(workspace->ChangedOnDisk());
    workspace->SetPartText(workspace->EntryParts()[0], "prontera,1,1,4\tscript\tA\t113,{\n\tend;\n}");
    workspace->Save();
    const std::string expected = "prontera,1,1,4\tscript\tA\t113,{\r\n\tend;\r\n}\r\n// between\r\n\r\n"
                                 "prontera,2,2,4\tscript\tB\t113,{\r\n\tclose;\r\n}\r\n";
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_FALSE(workspace->IsModified());
    EXPECT_EQ(workspace->Bytes(), expected);
    EXPECT_EQ(Layout(*workspace), "text 1-1|NPC! A 1-3|text 3-6|NPC! B 6-8|text 8-9");
    EXPECT_FALSE(workspace->ChangedOnDisk());
    WriteBytes(path, expected + "// pulled\r\n");
    EXPECT_TRUE(workspace->ChangedOnDisk());
}

TEST(ScriptWorkspaceFileTest, AFailedSaveLeavesFileAndEditsAsTheyWere)
{
    TTempDir dir;
    auto workspace = std::make_unique<TScriptWorkspace>((dir / "gone" / "two.txt").string(), Two, script::TTarget::EAthena);
    workspace->SetPartText(workspace->EntryParts()[0], "A2");
    EXPECT_THROW(workspace->Save(), EInOutError);
    EXPECT_TRUE(workspace->IsModified());
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

TEST(ScriptWorkspaceFileTest, ChecksTellNewLoadErrorsFromOldOnes)
{
    // The file already calls a function nobody defines; the edit adds an unknown command.
    const auto workspace = Read("prontera,1,1,4\tscript\tA\t113,{\n\tcallfunc \"F_Nowhere\";\n\tend;\n}\n" +
                                std::string(GuideEntry) + "\n");
    EXPECT_TRUE(std::none_of(workspace->CheckNewBytes().begin(), workspace->CheckNewBytes().end(),
                             [](const TSaveProblem& p) { return p.New; }));
    workspace->SetPartText(workspace->EntryParts()[1], "prontera,150,150,4\tscript\tGuide\t113,{\n\tfrobnicate;\n}");
    const std::vector<TSaveProblem> problems = workspace->CheckNewBytes();
    ASSERT_FALSE(problems.empty());
    int fresh = 0;
    for (const TSaveProblem& problem : problems)
        if (problem.New) {
            ++fresh;
            EXPECT_THAT(problem.Diagnostic.Message, HasSubstr("frobnicate"));
            EXPECT_EQ(problem.Diagnostic.Range.Begin.Line, 6);
        }
    EXPECT_EQ(fresh, 1);
}

} // namespace
