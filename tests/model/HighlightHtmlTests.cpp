// The script as a coloured HTML page (npc-export --html): the same tokens and colours as the
// output window, the script's bytes kept, everything that HTML would read as markup escaped.

#include "TestSupport.h"
#include "DocumentSupport.h"

#include "model/ActionTasks.h"
#include "output/Export.h"
#include "model/ProjectFile.h"
#include "output/HtmlExport.h"
#include "model/MessageTasks.h"
#include "model/Tasks.h"

#include "catalogue/Catalogues.h"
#include "model/Records.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <sstream>
#include <string>

namespace {

// What the page holds between <pre> and </pre>.
std::string PreformattedPart(const std::string& html)
{
    const std::size_t start = html.find("<pre>");
    const std::size_t end = html.find("</pre>");
    if (start == std::string::npos || end == std::string::npos)
        return "(no <pre> element)";
    return html.substr(start + 5, end - start - 5);
}

class HtmlExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestCatalogues().Clear();
        Document().NewProject();
    }

    void TearDown() override { Document().NewProject(); }
};

TEST_F(HtmlExportTest, ColoursTokensAndEscapesMarkup)
{
    const std::string script = "\tmes \"a<b & c\";\r\n"
                               "\tL0: // x > y\r\n"
                               "set Zeny, Zeny - 100;\r\n";
    const std::string expected =
        "\t<span style=\"color:#ffffff\">mes</span> <span style=\"color:#ff0000\">&quot;a&lt;b &amp; c&quot;</span>"
        "<span style=\"color:#ffffff\">;</span>\r\n"
        "\t<span style=\"color:#00ff00\">L0</span><span style=\"color:#ffffff\">:</span> "
        "<span style=\"color:#c0c0c0\">// x &gt; y</span>\r\n"
        "<span style=\"color:#ffffff\">set</span> <span style=\"color:#a6caf0\">Zeny</span>"
        "<span style=\"color:#ffffff\">,</span> <span style=\"color:#a6caf0\">Zeny</span> "
        "<span style=\"color:#ffffff\">-</span> <span style=\"color:#00ffff\">100</span>"
        "<span style=\"color:#ffffff\">;</span>\r\n";
    EXPECT_EQ(PreformattedPart(ScriptHtml(script, "Guide", TWordLookup::FromModel(Project().TaskList))), expected);
}

TEST_F(HtmlExportTest, IsAStandalonePageInLatin1YellowOnNavy)
{
    const std::string html = ScriptHtml("}\r\n", "Tom & Jerry <Script>");
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\r\n", 0), 0u);
    EXPECT_NE(html.find("<meta charset=\"ISO-8859-1\">"), std::string::npos);
    EXPECT_NE(html.find("<title>Tom &amp; Jerry &lt;Script&gt;</title>"), std::string::npos);
    EXPECT_NE(html.find("background: #000080; color: #ffff00;"), std::string::npos);
    EXPECT_NE(html.find("monospace"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 9), "</html>\r\n");
}

TEST_F(HtmlExportTest, KeepsTheScriptsBytesAndDropsControlCharacters)
{
    // A plain word and a yellow token need no span: the page's text is yellow.
    const std::string line = std::string("Caf\xE9\t\x01x") + "\r\n";
    EXPECT_EQ(PreformattedPart(ScriptHtml(line, "")), "Caf\xE9\t&#xFFFD;x\r\n");
}

TEST_F(HtmlExportTest, LinesBreakWhereTheWindowBreaksThem)
{
    EXPECT_EQ(PreformattedPart(ScriptHtml("a\nb\rc\r\n\r\nd", "")), "a\r\nb\r\nc\r\n\r\nd\r\n");
    EXPECT_EQ(PreformattedPart(ScriptHtml("", "")), "");
}

// A comment over several lines is silver on every one of them, not live code after its first.
TEST_F(HtmlExportTest, ACommentOverSeveralLinesIsSilverThroughout)
{
    EXPECT_EQ(PreformattedPart(ScriptHtml("/* a\r\nmes \"b\";\r\n*/ end;\r\n", "")),
              "<span style=\"color:#c0c0c0\">/* a</span>\r\n"
              "<span style=\"color:#c0c0c0\">mes &quot;b&quot;;</span>\r\n"
              "<span style=\"color:#c0c0c0\">*/</span> end<span style=\"color:#ffffff\">;</span>\r\n");
}

TEST_F(HtmlExportTest, LabelsAreLimeOnlyForGroupsOfTheProject)
{
    EXPECT_EQ(PreformattedPart(ScriptHtml("L0 L1", "", TWordLookup::FromModel(Project().TaskList))), "<span style=\"color:#00ff00\">L0</span> L1\r\n");
}

// A saved project and a data folder with the maps, exported as the command line does it.
class HtmlExportRunTest : public HtmlExportTest {
protected:
    void SetUp() override
    {
        HtmlExportTest::SetUp();
        WriteBytes(Data / "maps.ini", "[Maps]\r\nCount=1\r\n[Map1]\r\nName=Prontera\r\nMap=prontera.gat\r\n");
        TestCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
        Document().NewProject();
        Project().NPCInfo.Name = "Guide";
        Project().HeaderInfo.ScriptName = "Guide Script";
        auto message = std::make_unique<TMessageTask>(std::vector<std::string>{"Hello & welcome."});
        message->Caption = "Message: " + LinesText(message->Lines);
        Project().AttachTask(Project().TaskTree.GetFirstNode(), std::move(message));
        Document().SaveProject(ProjectPath());
        Document().NewProject();
    }

    std::string ProjectPath() const { return (Dir / "guide.NPC").string(); }

    TTempDir Dir;
    TTempDir Data;
    std::ostringstream Out;
    std::ostringstream Err;
};

TEST_F(HtmlExportRunTest, WritesThePageOfTheLoadedProject)
{
    const std::string output = (Dir / "guide.html").string();
    ASSERT_EQ(RunHtmlExport({Data.Path(), ProjectPath(), output}, Out, Err), 0) << Err.str();
    EXPECT_EQ(Out.str(), "");
    const std::string html = ReadBytes(output);
    EXPECT_NE(html.find("<title>Guide Script</title>"), std::string::npos);
    EXPECT_NE(html.find("\t\t<span style=\"color:#ffffff\">mes</span> "
                        "<span style=\"color:#ff0000\">&quot;Hello &amp; welcome.&quot;</span>"),
              std::string::npos);
    EXPECT_NE(html.find("\t<span style=\"color:#00ff00\">L0</span>"), std::string::npos);
}

TEST_F(HtmlExportRunTest, WritesNothingWhenThePlainExportFails)
{
    const std::string output = (Dir / "guide.html").string();
    EXPECT_EQ(RunHtmlExport({Data.Path(), (Dir / "missing.NPC").string(), output}, Out, Err), 1);
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_EQ(Err.str().rfind("npc-export: ", 0), 0u) << Err.str();
    EXPECT_NE(Err.str().find("missing.NPC"), std::string::npos) << Err.str();
}

#ifdef NPC_EXPORT_PATH
TEST_F(HtmlExportRunTest, TheCommandLineOptionWritesThePageToStandardOutput)
{
    QProcess program;
    program.start(QStringLiteral(NPC_EXPORT_PATH),
                  {"--html", "--data", QString::fromStdString(Data.Path().string()), QString::fromStdString(ProjectPath())});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    const std::string html = program.readAllStandardOutput().toStdString();
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("Hello &amp; welcome."), std::string::npos);
}
#endif

} // namespace
