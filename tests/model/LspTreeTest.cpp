// npc-lsp on a server tree: the load order from the server's own lists, the diagnostics npc-lint
// gives each file in its place, and the features that find names across the tree.

#include "LspClient.h"

#include "lsp/ItemDb.h"
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

// Each server's item database in its own layout, renewal or pre-renewal as the script lists are;
// a database that is missing or broken gives no items and one message in the editor's log.
struct ItemDbRow {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Files;  // name, contents
    std::string Argument;                                     // getitem's first argument
    std::string Hover;                                        // "": no hover
    std::string Log;                                          // "": no message
};

class LspItemDbTest : public ::testing::TestWithParam<ItemDbRow> {};

TEST_P(LspItemDbTest, HoverFromTheTreesDatabase)
{
    TTempDir dir;
    for (const auto& [name, text] : GetParam().Files) {
        std::filesystem::create_directories((dir / name).parent_path());
        WriteBytes(dir / name, text);
    }
    const QString script = QString::fromStdString("-\tscript\tT\t-1,{\n\tgetitem " + GetParam().Argument + ",1;\n}\n");
    WriteBytes(dir / "npc/t.txt", script.toStdString());
    TLspClient client;
    client.Initialize(dir.Path());
    client.Open(dir / "npc/t.txt", script);
    const QJsonObject at{{"textDocument", QJsonObject{{"uri", TLspClient::Uri(dir / "npc/t.txt")}}},
                         {"position", QJsonObject{{"line", 1}, {"character", 10}}}};
    for (int asked = 0; asked < 2; ++asked) {
        const QJsonValue hover = client.Request("textDocument/hover", at)["result"];
        if (GetParam().Hover.empty())
            EXPECT_TRUE(hover.isNull()) << hover.toObject()["contents"].toObject()["value"].toString().toStdString();
        else
            EXPECT_EQ(hover.toObject()["contents"].toObject()["value"].toString().toStdString(), GetParam().Hover);
    }
    std::vector<std::string> logged;
    for (const QJsonObject& sent : client.Sent)
        if (sent["method"] == QJsonValue("window/logMessage"))
            logged.push_back(sent["params"].toObject()["message"].toString().toStdString());
    if (GetParam().Log.empty())
        EXPECT_THAT(logged, ElementsAre());
    else
        EXPECT_THAT(logged, ElementsAre(HasSubstr(GetParam().Log)));
}

const std::string AthenaList = "npc: npc/t.txt\n";
const std::string HerculesList = "npc_global_list: (\n\t\"npc/t.txt\",\n)\n";
const std::string RAthenaDb = "Header:\n  Type: ITEM_DB\n  Version: 3\nFooter:\n  Imports:\n"
                              "  - Path: db/pre-re/item_db.yml\n    Mode: Prerenewal\n  - Path: db/re/item_db.yml\n    Mode: Renewal\n"
                              "  - Path: db/import/item_db.yml\n";
const std::string RAthenaRenewal = "Body:\n  - Id: 501\n    AegisName: Red_Potion\n    Name: Red Potion\n    Type: Healing\n"
                                   "    Sell: 25\n    Weight: 75\n    Script: |\n      itemheal rand(45,65),0;\n";
const std::string RAthenaPre = "Body:\n  - Id: 501\n    AegisName: Red_Potion\n    Name: Old Red Potion\n    Buy: 40\n";
const std::string HerculesDb = "item_db: (\n{\n\tId: 501\n\tAegisName: \"Red_Potion\"\n\tName: \"Red Potion\"\n"
                               "\tType: \"IT_HEALING\"\n\tBuy: 10\n\tWeight: 70\n\tTrade: { nodrop: true }\n"
                               "\tScript: <\" itemheal rand(45,65),0; // \"not a name\" }\n\">\n},\n"
                               "{\n\tId: 909\n\tAegisName: \"Jellopy\"\n\tName: \"Jellopy\"\n\tSell: 3\n},\n)\n";

INSTANTIATE_TEST_SUITE_P(Lsp, LspItemDbTest, ::testing::Values(
    ItemDbRow{"AthenaTextAndItsSecondFile",
              {{"npc/scripts_main.conf", AthenaList},
               {"db/item_db.txt", "501,Red_Potion,Red Potion,0,50,,70\n502,Orange_Potion,Orange Potion,0,200,,100\n"},
               {"db/item_db2.txt", "502,Orange_Potion,Custom Potion,2,300,,105\n"}},
              "502", "item **Orange_Potion** (502): Custom Potion, usable, 300 zeny, weight 10.5", ""},
    ItemDbRow{"RAthenaYamlRenewal",
              {{"npc/re/scripts_main.conf", AthenaList}, {"db/item_db.yml", RAthenaDb},
               {"db/re/item_db.yml", RAthenaRenewal}, {"db/pre-re/item_db.yml", RAthenaPre}},
              "\"red_potion\"", "item **Red_Potion** (501): Red Potion, Healing, 50 zeny, weight 7.5", ""},
    ItemDbRow{"RAthenaYamlPreRenewal",
              {{"npc/pre-re/scripts_main.conf", AthenaList}, {"db/item_db.yml", RAthenaDb},
               {"db/re/item_db.yml", RAthenaRenewal}, {"db/pre-re/item_db.yml", RAthenaPre}},
              "501", "item **Red_Potion** (501): Old Red Potion, Etc, 40 zeny, weight 0", ""},
    ItemDbRow{"HerculesLibconfigAndItemDb2",
              {{"npc/re/scripts_main.conf", HerculesList}, {"db/re/item_db.conf", HerculesDb},
               {"db/item_db2.conf", "item_db: ({ Id: 909, AegisName: \"Jellopy\", Name: \"Custom Jellopy\", Sell: 3 })\n"}},
              "Jellopy", "item **Jellopy** (909): Custom Jellopy, IT_ETC, 6 zeny, weight 0", ""},
    ItemDbRow{"HerculesScriptBlocksKeepTheirQuotes",
              {{"npc/re/scripts_main.conf", HerculesList}, {"db/re/item_db.conf", HerculesDb}},
              "501", "item **Red_Potion** (501): Red Potion, IT_HEALING, 10 zeny, weight 7", ""},
    ItemDbRow{"MissingDatabase", {{"npc/scripts_main.conf", AthenaList}}, "501", "", "item_db.txt"},
    ItemDbRow{"BrokenYaml",
              {{"npc/re/scripts_main.conf", AthenaList}, {"db/item_db.yml", "Body:\n  - Id: [501\n"}}, "501", "", "item_db.yml"},
    ItemDbRow{"BrokenLibconfig",
              {{"npc/pre-re/scripts_main.conf", HerculesList}, {"db/pre-re/item_db.conf", "item_db: (\n{\n\tId: 501\n)\n"}},
              "501", "", "pre-re/item_db.conf: line 4"}),
    TNameOfRow());

// The server's own item database read as the tree's: every item found by its ID and its name.
TEST(LspSharedTreeTest, ItemsOfTheSampleDatabase)
{
    SKIP_WITHOUT_SHARED_DATA(eathena);
    TTempDir dir;
    std::filesystem::create_directories(dir / "db");
    std::filesystem::copy_file(eathena / "item_db.txt", dir / "db/item_db.txt");
    lsp::TServerTree tree;
    tree.Root = dir.Path();
    const lsp::TItemDb db = lsp::TItemDb::Read(tree);
    ASSERT_GT(db.Items().size(), 1000u);
    for (const lsp::TItemRecord& item : db.Items()) {
        EXPECT_EQ(db.Find(item.Id), &item);
        ASSERT_NE(db.FindName(item.DbName), nullptr) << item.DbName;
    }
}

// A tree of a function file and a town, for the features that find names.
class LspFeatureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Dir / "npc");
        WriteBytes(Dir / "npc/scripts_main.conf", "npc: npc/funcs.txt\nnpc: npc/town.txt\n");
        WriteBytes(Dir / "npc/funcs.txt", "function\tscript\tF_Hello\t{\n\tmes \"Hello\";\n\tdonpcevent \"Caller::OnTalk\";\n\treturn;\n}\n");
        std::filesystem::create_directories(Dir / "db");
        WriteBytes(Dir / "db/item_db.txt", "// ID,Name,Name,Type,Price,Sell,Weight,...\n"
                                          "501,Red_Potion,Red Potion,0,50,,70,,,,,0xFFFFFFFF,7,2,,,,,,{ itemheal rand(45,65),0; },{},{}\n");
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
                         "prontera,152,150,4\tduplicate(Guide)\tGuide#2\t105\n"  // 8
                         "-\tscript\tCaller\t-1,{\n"                              // 9
                         "\tdonpcevent \"Caller::OnTalk\";\n"                      // 10
                         "\taddtimer 10,\"Caller#2::OnTalk\";\n"                   // 11
                         "\tinitnpctimer \"Guide\";\n"                             // 12
                         "\tgetitem 501,1;\n"                                       // 13
                         "\tif (countitem(\"Red_Potion\") > 1) end;\n"             // 14
                         "\tend;\n"                                                 // 15
                         "OnTalk:\n"                                                // 16
                         "\tend;\n"                                                 // 17
                         "}\n"                                                      // 18
                         "-\tduplicate(Caller)\tCaller#2\t-1\n";                   // 19
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
    FeatureRow{"EventDefinitionFromString", "textDocument/definition", 10, 23, {}, {Range(16, 0, 16, 6), "town.txt"}},
    FeatureRow{"EventReferencesInStrings", "textDocument/references", 16, 2, {},
               {Range(10, 21, 10, 27), Range(11, 24, 11, 30), Range(16, 0, 16, 6), Range(2, 21, 2, 27) + ",\"uri\":\"file://", "funcs.txt"}},
    FeatureRow{"RenameEventFromString", "textDocument/rename", 11, 25, {{"newName", "OnCall"}},
               {"funcs.txt\":[{\"newText\":\"OnCall\"", "\"newText\":\"OnCall\"," + Range(16, 0, 16, 6), Range(11, 24, 11, 30)}},
    FeatureRow{"HoverEventString", "textDocument/hover", 10, 23, {}, {"label **OnTalk**, defined in npc/town.txt line 17"}},
    FeatureRow{"NpcReferencesInStrings", "textDocument/references", 0, 28, {}, {Range(8, 29, 8, 34), Range(12, 15, 12, 20)}},
    FeatureRow{"NpcDefinitionFromTimerString", "textDocument/definition", 12, 16, {}, {Range(0, 26, 0, 31)}},
    FeatureRow{"HoverItemById", "textDocument/hover", 13, 10, {},
               {"item **Red_Potion** (501): Red Potion, healing, 50 zeny, weight 7", Range(13, 9, 13, 12)}},
    FeatureRow{"HoverItemByName", "textDocument/hover", 14, 20, {}, {"item **Red_Potion** (501)", Range(14, 15, 14, 27)}},
    FeatureRow{"CompletionOfItems", "textDocument/completion", 13, 9, {}, {"\"insertText\":\"501\",\"kind\":12,\"label\":\"Red_Potion\""}},
    FeatureRow{"CompletionOfItemNamesInQuotes", "textDocument/completion", 14, 16, {}, {"\"insertText\":\"Red_Potion\",\"kind\":12"}},
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
