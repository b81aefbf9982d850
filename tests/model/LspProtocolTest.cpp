// npc-lsp's protocol: the framing of messages, bad input answered without a crash, and the text
// kept in step with the editor's changes.

#include "LspClient.h"

#include "lsp/Framing.h"
#include "lsp/TextPosition.h"

#include <gmock/gmock.h>
#include <algorithm>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string Frame(const std::string& body)
{
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct FramingRow {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Frames;  // a body, or "!" and part of the reason it was dropped
};

class LspFramingTest : public ::testing::TestWithParam<FramingRow> {};

TEST_P(LspFramingTest, FramesComeOutWhateverTheReads)
{
    for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, GetParam().Bytes.size() + 1}) {
        lsp::TMessageReader reader;
        std::vector<std::string> frames;
        for (std::size_t at = 0; at < GetParam().Bytes.size(); at += chunk) {
            reader.Feed(std::string_view(GetParam().Bytes).substr(at, chunk));
            while (auto frame = reader.Next())
                frames.push_back(frame->Error.empty() ? frame->Body : "!" + frame->Error);
        }
        ASSERT_EQ(frames.size(), GetParam().Frames.size()) << "reads of " << chunk;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const std::string& want = GetParam().Frames[i];
            if (want.starts_with("!"))
                EXPECT_THAT(frames[i], HasSubstr(want.substr(1))) << "reads of " << chunk;
            else
                EXPECT_EQ(frames[i], want) << "reads of " << chunk;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lsp, LspFramingTest, ::testing::Values(
    FramingRow{"TwoMessages", Frame("{\"a\":1}") + Frame("[]"), {"{\"a\":1}", "[]"}},
    FramingRow{"OtherHeadersAndCase", "Content-Type: application/vscode-jsonrpc\r\ncontent-length:  2\r\n\r\n{}", {"{}"}},
    FramingRow{"UnfinishedBodyWaits", "Content-Length: 10\r\n\r\n{}", {}},
    FramingRow{"NoLength", "Content-Type: x\r\n\r\n" + Frame("{}"), {"!without Content-Length", "{}"}},
    FramingRow{"LengthNotANumber", "Content-Length: 1e3\r\n\r\n" + Frame("{}"), {"!not a number", "{}"}},
    FramingRow{"OverTheLimitIsSkipped", "Content-Length: 67108865\r\n\r\n" + std::string(100, 'x'), {"!over the limit of 64 MB"}},
    FramingRow{"HeaderWithoutEnd", std::string(9000, 'x'), {"!header block of more than 8192 bytes"}}),
    TNameOfRow());

// Bytes skipped after a message over the limit may come in later reads; the next frame is whole.
TEST(LspFramingLimitTest, TheMessageAfterAnOverlongOneIsRead)
{
    lsp::TMessageReader reader;
    reader.Feed("Content-Length: 67108868\r\n\r\n");
    EXPECT_THAT(reader.Next()->Error, HasSubstr("64 MB"));
    const std::string megabyte(1 << 20, ' ');
    for (int i = 0; i < 64; ++i)
        reader.Feed(megabyte);
    reader.Feed("    " + Frame("{}"));
    EXPECT_EQ(reader.Next()->Body, "{}");
    EXPECT_EQ(reader.Pending(), 0u);
}

// A tree of one list and one file, with the script checked for eAthena.
class LspTreeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Dir / "npc");
        WriteBytes(Dir / "npc/scripts_main.conf", "npc: npc/town.txt\n");
        WriteBytes(Dir / "npc/town.txt", Town.toStdString());
        Client.Initialize(Dir.Path());
    }
    std::filesystem::path Town_() const { return Dir / "npc/town.txt"; }
    QJsonObject At(const std::filesystem::path& file, int line, int character) const
    {
        return {{"textDocument", QJsonObject{{"uri", TLspClient::Uri(file)}}},
                {"position", QJsonObject{{"line", line}, {"character", character}}}};
    }

    const QString Town = "prontera,150,150,4\tscript\tGuide\t105,{\n\tmes \"[Guide]\";\n\tmeszq \"Hi\";\n\tclose;\n}\n";
    TTempDir Dir;
    TLspClient Client;
};

struct BadInputRow {
    const char* Name;
    std::string Body;  // sent after the file is open, with ' for " and URI for the file's
    int Code;          // the error answered; 0: none, a diagnostic instead
    std::string Says;
};

class LspBadInputTest : public LspTreeFixture, public ::testing::WithParamInterface<BadInputRow> {};

TEST_P(LspBadInputTest, AnsweredAndTheServerGoesOn)
{
    Client.Open(Town_(), Town);
    const std::string uri = TLspClient::Uri(Town_()).toStdString();
    std::string body = GetParam().Body;
    std::replace(body.begin(), body.end(), '\'', '"');
    for (std::size_t at = body.find("URI"); at != std::string::npos; at = body.find("URI"))
        body.replace(at, 3, uri);
    Client.Sent.clear();
    Client.Server.Receive(QByteArray::fromStdString(body));
    Client.Settle();
    ASSERT_FALSE(Client.Sent.empty());
    const QJsonObject answer = Client.Sent.back();
    if (GetParam().Code) {
        EXPECT_EQ(answer["error"].toObject()["code"].toInt(), GetParam().Code);
        EXPECT_THAT(answer["error"].toObject()["message"].toString().toStdString(), HasSubstr(GetParam().Says));
    } else {
        ASSERT_FALSE(Client.Diagnostics(Town_()).empty());
        EXPECT_THAT(Client.Diagnostics(Town_()).front(), HasSubstr(GetParam().Says));
    }
    // Still there: the next request is answered.
    const QJsonObject document{{"textDocument", QJsonObject{{"uri", QString::fromStdString(uri)}}}};
    EXPECT_TRUE(Client.Request("textDocument/documentSymbol", document).contains("result"));
}

const BadInputRow BadInputs[] = {
    BadInputRow{"MalformedJson", "{'jsonrpc':'2.0','id':1,", -32700, "not JSON"},
    BadInputRow{"NotAnObject", "[1,2]", -32600, "without a method"},
    BadInputRow{"UnknownMethod", "{'jsonrpc':'2.0','id':1,'method':'textDocument/foldingRange','params':{}}", -32601, "no method"},
    BadInputRow{"PositionOutsideTheText",
                "{'jsonrpc':'2.0','id':1,'method':'textDocument/hover','params':{'textDocument':{'uri':'URI'},'position':{'line':99,'character':0}}}",
                -32602, "past the text"},
    BadInputRow{"InitializeTwice", "{'jsonrpc':'2.0','id':1,'method':'initialize','params':{}}", -32600, "twice"},
    BadInputRow{"ChangeOutsideTheText",
                "{'jsonrpc':'2.0','method':'textDocument/didChange','params':{'textDocument':{'uri':'URI','version':2},'contentChanges':[{'range':{'start':{'line':40,'character':0},'end':{'line':41,'character':0}},'text':'x'}]}}",
                0, "1:1: error: the editor's change could not be applied (line 40 is past"},
    BadInputRow{"BinaryFile",
                "{'jsonrpc':'2.0','method':'textDocument/didChange','params':{'textDocument':{'uri':'URI','version':2},"
                "'contentChanges':[{'text':'PNG\\u0000\\u0001'}]}}",
                0, "warning: a binary file"}};

INSTANTIATE_TEST_SUITE_P(Lsp, LspBadInputTest, ::testing::ValuesIn(BadInputs), TNameOfRow());

TEST(LspLifecycleTest, RequestsBeforeInitializeAndAfterShutdownAreRefused)
{
    TLspClient client;
    EXPECT_EQ(client.Request("textDocument/hover", {})["error"].toObject()["code"].toInt(), lsp::codes::ServerNotInitialized);
    TTempDir dir;
    EXPECT_TRUE(client.Initialize(dir.Path())["result"].toObject()["capabilities"].toObject().contains("hoverProvider"));
    EXPECT_TRUE(client.Request("shutdown", {}).contains("result"));
    EXPECT_EQ(client.Request("textDocument/hover", {})["error"].toObject()["code"].toInt(), lsp::codes::InvalidRequest);
    EXPECT_FALSE(client.Server.Exited());
    client.Notify("exit", {});
    EXPECT_TRUE(client.Server.Exited());
    EXPECT_EQ(client.Server.ExitStatus(), 0);
}

// Incremental changes, each a range in UTF-16 units of the text as it stands, give the same text
// (and so the same diagnostics) as the whole text sent at once.
TEST_F(LspTreeFixture, IncrementalChangesKeepTheTextInStep)
{
    Client.Open(Town_(), Town);
    EXPECT_THAT(Client.Diagnostics(Town_()), ElementsAre(HasSubstr("3:2: error: ")));
    const auto change = [&](int l1, int c1, int l2, int c2, const QString& text) {
        return QJsonObject{{"range", QJsonObject{{"start", QJsonObject{{"line", l1}, {"character", c1}}},
                                                 {"end", QJsonObject{{"line", l2}, {"character", c2}}}}},
                           {"text", text}};
    };
    Client.Notify("textDocument/didChange",
                  {{"textDocument", QJsonObject{{"uri", TLspClient::Uri(Town_())}, {"version", 2}}},
                   {"contentChanges", QJsonArray{change(2, 1, 2, 6, "mes"),              // meszq -> mes
                                                 change(1, 6, 1, 13, "[Gu\u00efde]"),   // a letter of two bytes
                                                 change(1, 15, 1, 15, " \U0001F600"),   // two UTF-16 units, four bytes
                                                 change(4, 1, 4, 1, "\n-\tscript\tX\t-1,{\n\tgoto L_No;\n}")}}});
    const std::string text = *Client.Server.Workspace()->Text(Town_().string());
    EXPECT_EQ(text, "prontera,150,150,4\tscript\tGuide\t105,{\n\tmes \"[Gu\xC3\xAF" "de]\"; \xF0\x9F\x98\x80\n\tmes \"Hi\";\n"
                    "\tclose;\n}\n-\tscript\tX\t-1,{\n\tgoto L_No;\n}\n");
    TLspClient whole;
    whole.Initialize(Dir.Path());
    whole.Open(Town_(), QString::fromUtf8(text));
    EXPECT_EQ(Client.Diagnostics(Town_()), whole.Diagnostics(Town_()));
    EXPECT_THAT(Client.Diagnostics(Town_()), ::testing::Contains(HasSubstr("L_No")));
}

// The file goes from the disk while the editor has it open: the editor's copy is checked on.
TEST_F(LspTreeFixture, AFileDeletedWhileOpenIsCheckedFromTheEditor)
{
    Client.Open(Town_(), Town);
    std::filesystem::remove(Town_());
    Client.Notify("workspace/didChangeWatchedFiles", {{"changes", QJsonArray{QJsonObject{{"uri", TLspClient::Uri(Town_())}, {"type", 3}}}}});
    Client.Notify("textDocument/didChange", {{"textDocument", QJsonObject{{"uri", TLspClient::Uri(Town_())}, {"version", 2}}},
                                             {"contentChanges", QJsonArray{QJsonObject{{"text", QString(Town).replace("close", "closezq")}}}}});
    EXPECT_THAT(Client.Diagnostics(Town_()), ::testing::IsSupersetOf({HasSubstr("'meszq'"), HasSubstr("'closezq'")}));
    Client.Notify("textDocument/didClose", {{"textDocument", QJsonObject{{"uri", TLspClient::Uri(Town_())}}}});
    EXPECT_TRUE(Client.Diagnostics(Town_()).empty());
}

} // namespace
