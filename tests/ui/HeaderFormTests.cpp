// The header window: filled once from Project().HeaderInfo, stored back only by Apply.
#include "FrameTestSupport.h"
#include "DocumentSupport.h"

#include "ui/Form_Header.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

using namespace frametest;

namespace {

class HeaderFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpFrameCatalogues();
        Document().NewProject();
    }

    void TearDown() override
    {
        delete Form.data();
        ProcessDeletions();
    }

    void Open()
    {
        Form = new THeaderForm(Document());
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    }

    QLineEdit* Edit(const char* name) const { return Child<QLineEdit>(Form, name); }
    QPlainTextEdit* Comments() const { return Child<QPlainTextEdit>(Form, "CommentsEdit"); }

    void Retype(QWidget* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }

    // Ends the window the way the test says and checks that it is gone.
    void ExpectClosed()
    {
        ProcessDeletions();
        EXPECT_TRUE(Form.isNull());
    }

    QPointer<THeaderForm> Form;
};

TEST_F(HeaderFormTest, AFreshProjectShowsTheDefaults)
{
    Open();
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("NPC Header"));
    EXPECT_EQ(Edit("NameEdit")->text(), QStringLiteral("<Name> Script"));
    EXPECT_EQ(Edit("AuthorEdit")->text(), QStringLiteral("<Author> (1.0)"));
    EXPECT_EQ(Edit("VersionEdit")->text(), QStringLiteral("1.0"));
    EXPECT_EQ(Edit("CompatEdit")->text(), QStringLiteral("Any eAthena Version; RO Episode XX"));
    EXPECT_EQ(Edit("DescEdit")->text(), QStringLiteral("<Description>"));
    EXPECT_EQ(Comments()->toPlainText(), QStringLiteral("<Version History and Comments>"));
    EXPECT_EQ(Comments()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(HeaderFormTest, ApplyWithoutEditsEndsTheCommentsWithALineBreakAndMarksModified)
{
    TNPCHeader expected = Project().HeaderInfo;
    expected.Comments += "\r\n";
    Open();
    Click(Child<QPushButton>(Form, "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo, expected);
    EXPECT_TRUE(Project().Modified);
    ExpectClosed();
}

TEST_F(HeaderFormTest, ApplyStoresAllSixTexts)
{
    Open();
    Retype(Edit("NameEdit"), QStringLiteral("Healer"));
    Retype(Edit("AuthorEdit"), QStringLiteral("Vask"));
    Retype(Edit("VersionEdit"), QStringLiteral("1.1"));
    Retype(Edit("CompatEdit"), QStringLiteral("eAthena 1.0"));
    Retype(Edit("DescEdit"), QStringLiteral("Heals for free"));
    Retype(Comments(), QStringLiteral("1.0 first version"));
    QTest::keyClick(Comments(), Qt::Key_Return);
    QTest::keyClicks(Comments(), QStringLiteral("1.1 heals SP too"));
    EXPECT_EQ(Project().HeaderInfo.ScriptName, "<Name> Script") << "nothing is stored before Apply";

    Click(Child<QPushButton>(Form, "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.ScriptName, "Healer");
    EXPECT_EQ(Project().HeaderInfo.Author, "Vask");
    EXPECT_EQ(Project().HeaderInfo.Version, "1.1");
    EXPECT_EQ(Project().HeaderInfo.Compatible, "eAthena 1.0");
    EXPECT_EQ(Project().HeaderInfo.Description, "Heals for free");
    EXPECT_EQ(Project().HeaderInfo.Comments, "1.0 first version\r\n1.1 heals SP too\r\n");
    ExpectClosed();
}

TEST_F(HeaderFormTest, ChoosingTheServerRenamesTheDefaultCompatibleAndApplyStoresIt)
{
    Open();
    QComboBox* combo = Child<QComboBox>(Form, "TargetCombo");
    EXPECT_EQ(combo->currentText(), QStringLiteral("eAthena"));
    PickEntry(combo, 2);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Hercules"));
    EXPECT_EQ(Edit("CompatEdit")->text(), QStringLiteral("Hercules; RO Episode XX"));
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::EAthena) << "nothing is stored before Apply";

    Click(Child<QPushButton>(Form, "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::Hercules);
    EXPECT_EQ(Project().HeaderInfo.Compatible, "Hercules; RO Episode XX");
    ExpectClosed();
}

TEST_F(HeaderFormTest, AWrittenCompatibleStaysWhenTheServerChanges)
{
    Project().HeaderInfo.Target = TServerTarget::RAthena;
    Project().HeaderInfo.Compatible = "rAthena since 2024";
    Open();
    QComboBox* combo = Child<QComboBox>(Form, "TargetCombo");
    EXPECT_EQ(combo->currentText(), QStringLiteral("rAthena"));
    PickEntry(combo, 0);
    EXPECT_EQ(Edit("CompatEdit")->text(), QStringLiteral("rAthena since 2024"));
    Click(Child<QPushButton>(Form, "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::EAthena);
    EXPECT_EQ(Project().HeaderInfo.Compatible, "rAthena since 2024");
}

enum class TDiscard { CancelButton, Escape, CloseBox };

class HeaderDiscardTest : public HeaderFormTest, public ::testing::WithParamInterface<TDiscard> {};

TEST_P(HeaderDiscardTest, DiscardsTheEdits)
{
    const TNPCHeader before = Project().HeaderInfo;
    Open();
    Retype(Edit("AuthorEdit"), QStringLiteral("Someone else"));
    Retype(Comments(), QStringLiteral("lost"));
    switch (GetParam()) {
    case TDiscard::CancelButton:
        Click(Child<QPushButton>(Form, "CancelButton"));
        break;
    case TDiscard::Escape:
        QTest::keyClick(Edit("AuthorEdit"), Qt::Key_Escape);
        break;
    case TDiscard::CloseBox:
        Form->close();
        break;
    }
    EXPECT_EQ(Project().HeaderInfo, before);
    EXPECT_FALSE(Project().Modified);
    ExpectClosed();
}

INSTANTIATE_TEST_SUITE_P(Ways, HeaderDiscardTest,
                         ::testing::Values(TDiscard::CancelButton, TDiscard::Escape, TDiscard::CloseBox),
                         [](const auto& info) -> std::string {
                             switch (info.param) {
                             case TDiscard::CancelButton: return "CancelButton";
                             case TDiscard::Escape: return "Escape";
                             case TDiscard::CloseBox: return "CloseBox";
                             }
                             return "Unknown";
                         });

TEST_F(HeaderFormTest, EscapeInTheCommentsCancelsToo)
{
    Open();
    Retype(Comments(), QStringLiteral("lost"));
    QTest::keyClick(Comments(), Qt::Key_Escape);
    EXPECT_EQ(Project().HeaderInfo.Comments, "<Version History and Comments>");
    ExpectClosed();
}

TEST_F(HeaderFormTest, TypingStopsAtTheLimit)
{
    Open();
    Retype(Edit("DescEdit"), QString(70, u'x'));
    EXPECT_EQ(Edit("DescEdit")->text().size(), THeaderForm::FieldLimit);
}

TEST_F(HeaderFormTest, ALongerStoredTextIsShownWholeAndCanOnlyShrinkByTyping)
{
    const std::string longText(70, 'L');
    Project().HeaderInfo.Description = longText;
    Open();
    QLineEdit* edit = Edit("DescEdit");
    EXPECT_EQ(edit->text().size(), 70);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, QStringLiteral("more"));
    EXPECT_EQ(edit->text().size(), 70) << "no room to type";
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("ab"));
    EXPECT_EQ(edit->text().size(), 69);
    Click(Child<QPushButton>(Form, "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.Description, std::string(69, 'L'));
}

TEST_F(HeaderFormTest, CommentsAreShownLineByLineWhateverTheirLineBreaks)
{
    Project().HeaderInfo.Comments = "one\r\ntwo\nthree\rfour";
    Open();
    EXPECT_EQ(Comments()->blockCount(), 4);
    EXPECT_EQ(Comments()->toPlainText(), QStringLiteral("one\ntwo\nthree\nfour"));
    Click(Child<QPushButton>(Form, "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.Comments, "one\r\ntwo\r\nthree\r\nfour\r\n");
}

TEST_F(HeaderFormTest, TextKeepsEveryByte)
{
    Project().HeaderInfo.Author = "J\xF6rg \xA9 2007";
    Open();
    Click(Child<QPushButton>(Form, "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.Author, "J\xF6rg \xA9 2007");
}

TEST_F(HeaderFormTest, KeyboardOrderRunsThroughTheFieldsToTheButtons)
{
    Open();
    const char* const order[] = {"NameEdit", "AuthorEdit",   "VersionEdit", "TargetCombo", "CompatEdit",
                                 "DescEdit", "CommentsEdit", "ApplyButton", "CancelButton"};
    Edit("NameEdit")->setFocus(Qt::TabFocusReason);
    for (const char* name : order) {
        EXPECT_EQ(QApplication::focusWidget(), Child(Form, name)) << name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

struct TCommentsCase {
    const char* Shown;
    const char* Stored;
};

void PrintTo(const TCommentsCase& c, std::ostream* out)
{
    *out << '"' << QString::fromLatin1(c.Shown).replace(u'\n', QStringLiteral("\\n")).toStdString() << '"';
}

class CommentsConversionTest : public ::testing::TestWithParam<TCommentsCase> {};

TEST_P(CommentsConversionTest, EveryLineEndsInCRLF)
{
    EXPECT_EQ(EditTextToComments(QString::fromLatin1(GetParam().Shown), TTextEncoding()), GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(Texts, CommentsConversionTest,
                         ::testing::Values(TCommentsCase{"", ""}, TCommentsCase{"a", "a\r\n"},
                                           TCommentsCase{"a\n", "a\r\n"},
                                           TCommentsCase{"a\n\nb", "a\r\n\r\nb\r\n"},
                                           TCommentsCase{"\n", "\r\n"}),
    [](const auto& info) {
        return ReadableName(QString::fromLatin1(info.param.Shown).replace(u'\n', QStringLiteral(" LF ")).toStdString());
    });

TEST(CommentsConversion, StoredCommentsRoundTrip)
{
    for (const std::string stored : {"", "x\r\n", "x\r\n\r\ny\r\n"})
        EXPECT_EQ(EditTextToComments(CommentsToEditText(stored, TTextEncoding()), TTextEncoding()), stored) << stored;
}

} // namespace
