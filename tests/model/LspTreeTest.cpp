// npc-lsp on a server tree: the load order from the server's own lists, the diagnostics npc-lint
// gives each file in its place, and the features that find names across the tree.

#include "LspClient.h"

#include "lsp/LoadOrder.h"

#include <QProcess>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Not;
using ::testing::HasSubstr;

namespace {

struct ListRow {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Files;  // name, contents ("" for a script file)
    script::TTarget Target;
    std::vector<std::string> Order;
};

class LspLoadOrderTest : public ::testing::TestWithParam<ListRow> {};

TEST_P(LspLoadOrderTest, AsTheServerReadsItsLists)
{
    TTempDir dir;
    for (const auto& [name, text] : GetParam().Files) {
        std::filesystem::create_directories((dir / name).parent_path());
        WriteBytes(dir / name, text.empty() ? "-\tscript\tX\t-1,{\n\tend;\n}\n" : text);
    }
    EXPECT_EQ(lsp::DetectServer(dir.Path()), GetParam().Target);
    EXPECT_EQ(lsp::ReadServerTree(dir.Path(), GetParam().Target).Files, GetParam().Order);
}

INSTANTIATE_TEST_SUITE_P(Lsp, LspLoadOrderTest, ::testing::Values(
    ListRow{"AthenaNpcDelnpcImport",
            {{"npc/scripts_main.conf", "// header\nnpc: npc/a.txt\nimport: npc/more.conf\nnpc: npc/a.txt\ndelnpc: npc/b.txt\nnpc: npc/missing.txt\n"},
             {"npc/more.conf", "npc: npc/b.txt\nnpc: npc/c.txt // comment\n//npc: npc/d.txt\n"},
             {"npc/a.txt", ""}, {"npc/b.txt", ""}, {"npc/c.txt", ""}, {"npc/d.txt", ""}},
            script::TTarget::EAthena, {"npc/a.txt", "npc/c.txt"}},
    ListRow{"AthenaClearAndAll",
            {{"npc/re/scripts_main.conf", "npc: npc/a.txt\nnpc: clear\nnpc: npc/b.txt\nimport: npc/re/scripts_main.conf\n"},
             {"npc/a.txt", ""}, {"npc/b.txt", ""}},
            script::TTarget::RAthena, {"npc/b.txt"}},
    ListRow{"HerculesLibconfig",
            {{"npc/re/scripts_main.conf",
              "@include \"npc/removed.conf\"\nnpc_global_list: (\n\"npc/a.txt\", /* \"npc/x.txt\" */\n# \"npc/y.txt\"\n"
              "@include \"npc/list.conf\"\n\"npc/a.txt\",\n)\n"},
             {"npc/list.conf", "// \"npc/z.txt\"\n\"npc/c.txt\",\n\"npc/b.txt\",\n"},
             {"npc/removed.conf", "npc_removed_list: (\n\"npc/c.txt\",\n)\n"},
             {"npc/a.txt", ""}, {"npc/b.txt", ""}, {"npc/c.txt", ""}},
            script::TTarget::Hercules, {"npc/a.txt", "npc/b.txt"}}),
    TNameOfRow());

// The shared trees hold a part of each server's files; rAthena's and Hercules' list them in the
// order their servers load them (npc/load-order.txt).
TEST(LspSharedTreeTest, LoadOrderOfTheSamples)
{
    SKIP_WITHOUT_SHARED_DATA(eathena);
    for (const char* server : {"rathena", "hercules"}) {
        const std::filesystem::path root = eathena.parent_path() / server;
        std::vector<std::string> expected;
        std::ifstream list(root / "npc/load-order.txt");
        for (std::string line; std::getline(list, line);)
            if (!line.empty())
                expected.push_back(line);
        const auto target = lsp::DetectServer(root);
        ASSERT_TRUE(target) << server;
        EXPECT_EQ(lsp::ReadServerTree(root, *target).Files, expected) << server;
    }
    const lsp::TServerTree tree = lsp::ReadServerTree(eathena, script::TTarget::EAthena);
    EXPECT_EQ(lsp::DetectServer(eathena), script::TTarget::EAthena);
    ASSERT_FALSE(tree.Files.empty());
    EXPECT_EQ(tree.Files.front(), "npc/other/Global_Functions.txt");
}

std::string Latin1File(const std::filesystem::path& path)
{
    return ReadBytes(path);
}

// npc-lint, run in the tree on its load order, and the server, given each file as an editor opens
// it, report the same lines, warnings too.
TEST(LspSharedTreeTest, DiagnosticsAreNpcLintsInTheLoadOrder)
{
    SKIP_WITHOUT_SHARED_DATA(eathena);
    for (const char* server : {"eathena", "rathena", "hercules"}) {
        const std::filesystem::path root = eathena.parent_path() / server;
        const lsp::TServerTree tree = lsp::ReadServerTree(root, *lsp::DetectServer(root));
        TTempDir dir;
        std::string list;
        for (const std::string& file : tree.Files)
            list += file + "\n";
        WriteBytes(dir / "order.txt", list);
        QProcess lint;
        lint.setWorkingDirectory(QString::fromStdString(root.string()));
        lint.start(NPC_LINT_PATH, {"--server", server, "--load-order", QString::fromStdString((dir / "order.txt").string())});
        ASSERT_TRUE(lint.waitForFinished(120000));
        std::map<std::string, std::vector<std::string>> expected;
        for (const QByteArray& line : lint.readAllStandardOutput().split('\n')) {
            const QString text = QString::fromLatin1(line);
            if (const int colon = text.indexOf(':'); colon > 0)
                expected[text.left(colon).toStdString()].push_back(text.mid(colon + 1).toStdString());
        }
        ASSERT_FALSE(expected.empty()) << server;
        TLspClient client;
        client.Initialize(root);
        for (const auto& [file, lines] : expected) {
            client.Open(root / file, QString::fromLatin1(Latin1File(root / file)));
            EXPECT_THAT(client.Diagnostics(root / file), ElementsAreArray(lines)) << server << " " << file;
        }
    }
}

// A tree of a function file and a town, for the features that find names.
class LspFeatureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Dir / "npc");
        WriteBytes(Dir / "npc/scripts_main.conf", "npc: npc/funcs.txt\nnpc: npc/town.txt\n");
        WriteBytes(Dir / "npc/funcs.txt", "function\tscript\tF_Hello\t{\n\tmes \"Hello\";\n\treturn;\n}\n");
        WriteBytes(Dir / "npc/town.txt", Town.toStdString());
        Client.Initialize(Dir.Path());
        Client.Open(Dir / "npc/town.txt", Town);
    }
    QJsonObject At(int line, int character, QJsonObject more = {}) const
    {
        more["textDocument"] = QJsonObject{{"uri", TLspClient::Uri(Dir / "npc/town.txt")}};
        more["position"] = QJsonObject{{"line", line}, {"character", character}};
        return more;
    }
    std::string Result(const QString& method, const QJsonObject& params)
    {
        const QJsonObject answer = Client.Request(method, params);
        EXPECT_FALSE(answer.contains("error")) << QJsonDocument(answer).toJson().toStdString();
        return QJsonDocument(QJsonObject{{"r", answer["result"]}}).toJson(QJsonDocument::Compact).toStdString();
    }

    const QString Town = "prontera,150,150,4\tscript\tGuide\t105,{\n"  // 0
                         "\tmes \"[Guide]\";\n"                          // 1
                         "\tmenu \"Shop\",L_Shop,\"Bye\",-;\n"          // 2
                         "\tcallfunc \"F_Hello\";\n"                     // 3
                         "\tclose;\n"                                    // 4
                         "L_Shop:\n"                                     // 5
                         "\tgoto L_Shop;\n"                              // 6
                         "}\n"                                           // 7
                         "prontera,152,150,4\tduplicate(Guide)\tGuide#2\t105\n";  // 8
    TTempDir Dir;
    TLspClient Client;
};

struct FeatureRow {
    const char* Name;
    const char* Method;
    int Line, Character;
    QJsonObject More;
    std::vector<std::string> Holds;  // parts of the compact JSON result
};

class LspFeatureTableTest : public LspFeatureTest, public ::testing::WithParamInterface<FeatureRow> {};

TEST_P(LspFeatureTableTest, Answers)
{
    const std::string result = Result(GetParam().Method, At(GetParam().Line, GetParam().Character, GetParam().More));
    for (const std::string& part : GetParam().Holds)
        EXPECT_THAT(result, HasSubstr(part));
}

const auto Range = [](int l1, int c1, int l2, int c2) {
    return "\"range\":{\"end\":{\"character\":" + std::to_string(c2) + ",\"line\":" + std::to_string(l2) +
           "},\"start\":{\"character\":" + std::to_string(c1) + ",\"line\":" + std::to_string(l1) + "}}";
};

INSTANTIATE_TEST_SUITE_P(Lsp, LspFeatureTableTest, ::testing::Values(
    FeatureRow{"LabelDefinition", "textDocument/definition", 6, 8, {}, {Range(5, 0, 5, 6), "town.txt"}},
    FeatureRow{"FunctionDefinitionAcrossFiles", "textDocument/definition", 3, 13, {}, {Range(0, 16, 0, 23), "funcs.txt"}},
    FeatureRow{"DuplicateSource", "textDocument/definition", 8, 22, {}, {Range(0, 26, 0, 31)}},
    FeatureRow{"LabelReferences", "textDocument/references", 5, 2, {}, {Range(2, 13, 2, 19), Range(5, 0, 5, 6), Range(6, 6, 6, 12)}},
    FeatureRow{"RenameFunction", "textDocument/rename", 3, 13, {{"newName", "F_Greet"}},
               {"funcs.txt\":[{\"newText\":\"F_Greet\"," + Range(0, 16, 0, 23), "town.txt\":[{\"newText\":\"F_Greet\"," + Range(3, 11, 3, 18)}},
    FeatureRow{"HoverCommand", "textDocument/hover", 4, 2, {}, {"command **close** (eAthena): no arguments"}},
    FeatureRow{"HoverLabel", "textDocument/hover", 6, 8, {}, {"label **L_Shop**, defined in npc/town.txt line 6"}},
    FeatureRow{"HoverFunction", "textDocument/hover", 3, 13, {}, {"function **F_Hello**, defined in npc/funcs.txt line 1"}},
    FeatureRow{"HoverMap", "textDocument/hover", 0, 3, {}, {"map **prontera**"}},
    FeatureRow{"CompletionOfLabelsAndCommands", "textDocument/completion", 6, 7, {}, {"\"label\":\"L_Shop\"", "\"label\":\"L_Shop\""}},
    FeatureRow{"CompletionOfFunctions", "textDocument/completion", 3, 13, {}, {"\"label\":\"F_Hello\""}},
    FeatureRow{"CompletionOfNpcsInDuplicate", "textDocument/completion", 8, 29, {}, {"\"label\":\"Guide\"", "NPC in npc/town.txt"}},
    FeatureRow{"Outline", "textDocument/documentSymbol", 0, 0, {}, {"\"name\":\"Guide\"", "\"name\":\"L_Shop\"", "\"name\":\"Guide#2\""}},
    FeatureRow{"CodeLens", "textDocument/codeLens", 0, 0, {}, {"\"title\":\"Play Guide\"", "npc.play"}},
    FeatureRow{"ColoursFromTheHighlighter", "textDocument/semanticTokens/full", 0, 0, {}, {"\"data\":[0,8,1,4,0,0,1,3,2,0,"}}),
    TNameOfRow());

TEST_F(LspFeatureTest, WorkspaceSymbolsAndPlay)
{
    EXPECT_THAT(Result("workspace/symbol", {{"query", "hello"}}), HasSubstr("\"name\":\"F_Hello\""));
    const std::string played = Result("workspace/executeCommand",
                                      {{"command", "npc.play"},
                                       {"arguments", QJsonArray{TLspClient::Uri(Dir / "npc/town.txt"), "Guide", QJsonObject{{"choose", QJsonArray{2}}}}}});
    EXPECT_THAT(played, HasSubstr("\"transcript\":\"[Guide]\\n"));
}

// Open files that use what another file defines are checked again when it changes.
TEST_F(LspFeatureTest, DependentsAreCheckedAgain)
{
    EXPECT_THAT(Client.Diagnostics(Dir / "npc/town.txt"), Not(Contains(HasSubstr("F_Hello"))));
    const QString renamed = "function\tscript\tF_Other\t{\n\treturn;\n}\n";
    Client.Open(Dir / "npc/funcs.txt", renamed);
    EXPECT_THAT(Client.Diagnostics(Dir / "npc/town.txt"), Contains(HasSubstr("'F_Hello'")));
    // A file outside the tree is checked on its own, as if loaded after the whole tree.
    TTempDir elsewhere;
    Client.Open(elsewhere / "mine.txt", "-\tscript\tMine\t-1,{\n\tcallfunc \"F_Other\";\n\tduplicate_fails;\n}\n");
    EXPECT_THAT(Client.Diagnostics(elsewhere / "mine.txt"), ElementsAre(HasSubstr("duplicate_fails")));
}

} // namespace
