// The help viewer on the help file that the build compiles from data/help.
#include "FrameTestSupport.h"

#include "platform/Errors.h"
#include "ui/HelpViewer.h"

#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace frametest;

namespace {

#define SKIP_WITHOUT_HELP_FILE()                                                               \
    if (!QFileInfo::exists(BuiltHelpFile()))                                                   \
    GTEST_SKIP() << "help.chm was not built (chmcmd of fp-utils missing at configure time)"

class HelpViewerTest : public ::testing::Test {
protected:
    void Open(const QString& topic) { Viewer.OpenAddress(BuiltHelpFile() + QStringLiteral("::/") + topic); }

    QString Text() const { return Viewer.document()->toPlainText(); }

    // Clicks the link whose text is linkText, as the user does.
    void ClickLink(const QString& linkText)
    {
        const QTextCursor found = Viewer.document()->find(linkText);
        ASSERT_FALSE(found.isNull()) << linkText.toStdString();
        QTextCursor inside(Viewer.document());
        inside.setPosition(found.selectionStart() + 1);
        ASSERT_TRUE(inside.charFormat().isAnchor()) << linkText.toStdString() << " is no link";
        Viewer.setTextCursor(inside);
        Viewer.ensureCursorVisible();
        const QPoint point = Viewer.cursorRect(inside).center();
        QTest::mouseClick(Viewer.viewport(), Qt::LeftButton, {}, point);
    }

    THelpViewer Viewer;
};

struct TTopicCase {
    const char* Topic;
    const char* Title;
    const char* Sample;     // a sentence the page must hold
    const char* IntroLink;  // the text of the introduction's link to the page
};

void PrintTo(const TTopicCase& c, std::ostream* out)
{
    *out << c.Topic;
}

class HelpTopicTest : public HelpViewerTest, public ::testing::WithParamInterface<TTopicCase> {};

TEST_P(HelpTopicTest, OpensTheTopic)
{
    SKIP_WITHOUT_HELP_FILE();
    Viewer.show();
    Open(QString::fromLatin1(GetParam().Topic));
    EXPECT_EQ(Viewer.CurrentTopic(), QStringLiteral("/") + QString::fromLatin1(GetParam().Topic));
    EXPECT_EQ(Viewer.documentTitle(), QString::fromLatin1(GetParam().Title));
    EXPECT_TRUE(Text().contains(QString::fromLatin1(GetParam().Sample))) << Text().toStdString();
    EXPECT_FALSE(Text().contains(QStringLiteral("Topic not found")));
}

// The viewer has no contents pane: the introduction's links are the way into every other page.
TEST_P(HelpTopicTest, IsReachedFromTheIntroduction)
{
    SKIP_WITHOUT_HELP_FILE();
    if (!GetParam().IntroLink)
        GTEST_SKIP() << "the introduction is where the links start";
    Viewer.resize(700, 500);
    Viewer.show();
    Open(QStringLiteral("introduction/intro.html"));
    ClickLink(QString::fromLatin1(GetParam().IntroLink));
    EXPECT_EQ(Viewer.CurrentTopic(), QStringLiteral("/") + QString::fromLatin1(GetParam().Topic));
    EXPECT_EQ(Viewer.documentTitle(), QString::fromLatin1(GetParam().Title));
}

INSTANTIATE_TEST_SUITE_P(
    Topics, HelpTopicTest,
    ::testing::Values(
        TTopicCase{"introduction/intro.html", "Introduction", "writes NPC scripts for the eAthena", nullptr},
        TTopicCase{"reference/actions.html", "Action reference", "performs one action of a fixed catalogue",
                   "action reference"},
        TTopicCase{"tutorials/actions/1.html", "Your first NPC", "you build a healer", "first NPC tutorial"},
        TTopicCase{"guide/problems.html", "The Problems window", "Double-click a line to select its task",
                   "the Problems window"},
        TTopicCase{"guide/playtest.html", "The Play Test window", "plays the NPC inside the editor",
                   "the Play Test window"},
        TTopicCase{"guide/undo.html", "Undo and redo", "Ctrl+Y or Ctrl+Shift+Z", "Undo and Redo"},
        TTopicCase{"guide/statements.html", "Statement tasks", "opens a menu of them", "statement tasks"},
        TTopicCase{"guide/import.html", "Importing a script", "Every import is proved first", "Import Script..."},
        TTopicCase{"guide/scriptfile.html", "Editing a script file", "replacing only the entries you changed",
                   "Open Script..."},
        TTopicCase{"guide/server.html", "Target server", "openstorage(STORAGE_TYPE_MAIN);", "Target server"},
        TTopicCase{"guide/encoding.html", "Script text encoding", "Japanese (Shift-JIS / CP932)",
                   "Script Text Encoding"},
        TTopicCase{"guide/recovery.html", "Crash recovery", "Open as New Project", "Crash recovery"}),
    [](const auto& info) { return ReadableName(info.param.Topic); });

TEST_F(HelpViewerTest, LinksLeadFromTopicToTopic)
{
    SKIP_WITHOUT_HELP_FILE();
    Viewer.resize(700, 500);
    Viewer.show();
    Open(QStringLiteral("introduction/intro.html"));
    ClickLink(QStringLiteral("first NPC tutorial"));
    EXPECT_EQ(Viewer.CurrentTopic(), QStringLiteral("/tutorials/actions/1.html"));
    ClickLink(QStringLiteral("action reference"));
    EXPECT_EQ(Viewer.CurrentTopic(), QStringLiteral("/reference/actions.html"));
    ClickLink(QStringLiteral("Introduction"));
    EXPECT_EQ(Viewer.CurrentTopic(), QStringLiteral("/introduction/intro.html"));
    EXPECT_EQ(Viewer.documentTitle(), QStringLiteral("Introduction"));
}

TEST_F(HelpViewerTest, TheReferenceListsEveryActionWithItsStatement)
{
    SKIP_WITHOUT_HELP_FILE();
    Open(QStringLiteral("reference/actions.html"));
    const QString text = Text();
    ASSERT_EQ(Actions().size(), 21u);
    for (const TDAction& action : Actions()) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(action.Caption))) << action.Caption;
        EXPECT_TRUE(text.contains(QString::fromLatin1(action.Command))) << action.Command;
    }
}

TEST_F(HelpViewerTest, TheStyleSheetComesOutOfTheHelpFile)
{
    SKIP_WITHOUT_HELP_FILE();
    TChmFile file(BuiltHelpFile());
    const std::optional<QByteArray> css = file.Read(QStringLiteral("/help.css"));
    ASSERT_TRUE(css.has_value());
    EXPECT_TRUE(css->contains("font-family"));
    EXPECT_FALSE(file.Read(QStringLiteral("/no/such/page.html")).has_value());
}

TEST_F(HelpViewerTest, AnUnknownTopicSaysSo)
{
    SKIP_WITHOUT_HELP_FILE();
    Open(QStringLiteral("tutorials/actions/2.html"));
    EXPECT_TRUE(Text().contains(QStringLiteral("Topic not found")));
}

TEST_F(HelpViewerTest, AMissingHelpFileRaisesAnErrorNamingItAndKeepsThePage)
{
    SKIP_WITHOUT_HELP_FILE();
    Open(QStringLiteral("introduction/intro.html"));
    try {
        Viewer.OpenAddress(QStringLiteral("no-such-help.chm::/introduction/intro.html"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("no-such-help.chm"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("No such file"), std::string::npos) << error.what();
    }
    EXPECT_EQ(Viewer.documentTitle(), QStringLiteral("Introduction"));
}

// Escape closes the viewer, as it does the program's dialogs; other keys stay the browser's.
TEST(HelpViewerKeys, EscapeClosesTheViewer)
{
    QWidget owner;
    auto* viewer = new THelpViewer(&owner);
    viewer->setPlainText(QStringLiteral("help"));
    viewer->show();
    ASSERT_TRUE(viewer->isVisible());
    QTest::keyClick(viewer, Qt::Key_End);
    EXPECT_TRUE(viewer->isVisible());
    QTest::keyClick(viewer, Qt::Key_Escape);
    EXPECT_FALSE(viewer->isVisible());
}

TEST(HelpFile, AFileThatIsNoHelpFileIsRefused)
{
    TTempDir dir;
    WriteBytes(dir / "fake.chm", "this is plain text, not a compiled help file");
    EXPECT_THROW(TChmFile(QString::fromStdString((dir / "fake.chm").string())), EInOutError);
}

struct TAddressCase {
    const char* Address;
    const char* FileName;
    const char* Topic;
};

void PrintTo(const TAddressCase& c, std::ostream* out)
{
    *out << c.Address;
}

class HelpAddressTest : public ::testing::TestWithParam<TAddressCase> {};

TEST_P(HelpAddressTest, SplitsAtTheDoubleColon)
{
    const THelpAddress address = SplitHelpAddress(QString::fromLatin1(GetParam().Address));
    EXPECT_EQ(address.FileName, QString::fromLatin1(GetParam().FileName));
    EXPECT_EQ(address.Topic, QString::fromLatin1(GetParam().Topic));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, HelpAddressTest,
    ::testing::Values(TAddressCase{"help.chm::/introduction/intro.html", "help.chm", "/introduction/intro.html"},
                      TAddressCase{"help.chm::reference/actions.html", "help.chm", "/reference/actions.html"},
                      TAddressCase{"help.chm", "help.chm", "/"},
                      TAddressCase{"docs/help.chm::/a.html", "docs/help.chm", "/a.html"}),
    [](const auto& info) { return ReadableName(info.param.Address); });

} // namespace
