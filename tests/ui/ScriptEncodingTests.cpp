// The script text encoding: how typed text becomes the project's bytes and back, in every
// encoding offered, the menu that chooses it, the fields that refuse what it cannot hold, and
// documents side by side each in its own.
#include "MainFrameFixture.h"
#include "DocumentSupport.h"
#include "ScriptFileFixture.h"

#include "ui/Form_Editor.h"
#include "ui/Form_Header.h"
#include "platform/TextEncoding.h"
#include "ui/Form_ScriptEntry.h"
#include "ui/SyntaxHighlight.h"

#include <QActionGroup>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTextBlock>
#include <QTextLayout>

#include <gmock/gmock.h>

#include <optional>

using namespace frametest;

namespace {

constexpr const char* Latin1 = "ISO-8859-1";

struct TEncodingCase {
    const char* Name;
    const char* Encoding;
    const char* Text;                  // UTF-8
    std::optional<std::string> Bytes;  // nothing: the encoding cannot hold the text
};

class EncodingTable : public ::testing::TestWithParam<TEncodingCase> {};

TEST_P(EncodingTable, TypedTextBecomesTheEncodingsBytesOrIsRefused)
{
    const TEncodingCase& row = GetParam();
    const TTextEncoding encoding = TTextEncoding::Named(row.Encoding);
    const QString text = QString::fromUtf8(row.Text);
    if (row.Bytes) {
        EXPECT_EQ(encoding.FromQ(text), *row.Bytes);
        EXPECT_EQ(encoding.ToQ(*row.Bytes), text);
        EXPECT_EQ(encoding.FirstUnencodable(text), QString());
        return;
    }
    EXPECT_EQ(encoding.FirstUnencodable(QStringLiteral("ok ") + text), text);
    try {
        encoding.FromQ(text);
        ADD_FAILURE() << "stored although the encoding lacks it";
    } catch (const ETextEncodingError& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr(row.Text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, EncodingTable,
    ::testing::Values(
        TEncodingCase{"Latin1Accent", Latin1, "Caf\u00E9", "Caf\xE9"},
        TEncodingCase{"Latin1EveryByte", Latin1, "\u00FF\u0080", "\xFF\x80"},
        TEncodingCase{"Latin1LacksEuro", Latin1, "\u20AC", std::nullopt},
        TEncodingCase{"Windows1252EuroQuotesDash", "windows-1252", "\u20AC \u201CHi\u201D \u2013", "\x80 \x93Hi\x94 \x96"},
        TEncodingCase{"Windows1252LacksCyrillic", "windows-1252", "\u0416", std::nullopt},
        TEncodingCase{"Windows1251Cyrillic", "windows-1251", "\u041F\u0440\u0438\u0432\u0435\u0442",
                      "\xCF\xF0\xE8\xE2\xE5\xF2"},
        TEncodingCase{"Windows1251LacksPolishL", "windows-1251", "\u0142", std::nullopt},
        TEncodingCase{"Windows1250Polish", "windows-1250", "\u0141\u00F3d\u017A", "\xA3\xF3""d\x9F"},
        TEncodingCase{"CP949Korean", "windows-949", "\uC548\uB155 \u20AC", "\xBE\xC8\xB3\xE7 \xA2\xE6"},
        TEncodingCase{"CP949LacksYen", "windows-949", "\u00A5", std::nullopt},
        TEncodingCase{"GBKChinese", "GBK", "\u4E2D\u6587", "\xD6\xD0\xCE\xC4"},
        TEncodingCase{"GBKLacksHangul", "GBK", "\uD55C", std::nullopt},
        TEncodingCase{"Big5Chinese", "Big5", "\u4E2D\u6587", "\xA4\xA4\xA4\xE5"},
        TEncodingCase{"ShiftJISJapanese", "windows-31j", "\u65E5\u672C\u8A9E", "\x93\xFA\x96{\x8C\xEA"},
        TEncodingCase{"ShiftJISLacksHangul", "windows-31j", "\uD55C", std::nullopt}),
    TNameOfRow());

TEST(ScriptEncoding, EveryOfferedEncodingConvertsHere)
{
    for (const TScriptEncoding& encoding : ScriptEncodings())
        EXPECT_TRUE(ScriptEncodingAvailable(encoding)) << encoding.Name;
}

TEST(ScriptEncoding, BytesTheEncodingHasNoCharacterForAreShownButNeverStoredBack)
{
    const TTextEncoding korean = TTextEncoding::Named("windows-949");
    const QString shown = korean.ToQ("Caf\xE9");  // a Latin-1 name: a lone lead byte in CP949
    EXPECT_EQ(shown, QStringLiteral("Caf") + QChar::ReplacementCharacter);
    EXPECT_THROW(korean.FromQ(shown), ETextEncodingError);
}

// The per-character colours of a script line, the same whatever the bytes per character.
std::vector<QColor> LineColours(const QString& line, const TTextEncoding& encoding)
{
    QPlainTextEdit edit;
    SetScriptText(&edit, line, encoding);
    HighlightAll(&edit, encoding);
    std::vector<QColor> colours(static_cast<std::size_t>(line.size()), edit.palette().color(QPalette::Text));
    for (const QTextLayout::FormatRange& range : edit.document()->firstBlock().layout()->formats())
        for (int i = range.start; i < range.start + range.length; ++i)
            colours[static_cast<std::size_t>(i)] = range.format.foreground().color();
    return colours;
}

TEST(ScriptEncoding, MultiByteCharactersAreColouredAsOneCharacterEach)
{
    const std::vector<QColor> plain = LineColours(QStringLiteral("mes \"ab\"; close;"), TTextEncoding());
    EXPECT_EQ(LineColours(QString::fromUtf8("mes \"\uC548\uB155\"; close;"), TTextEncoding::Named("windows-949")), plain);
}

// ---- The menu and the fields -----------------------------------------------------------------

class EncodingWindowTest : public MainFrameTest {
protected:
    QAction* EncodingItem(const char* name) const
    {
        return Command((std::string("Encoding_") + name).c_str());
    }
    QLineEdit* NPCName() const { return Child<QLineEdit>(NPCWindow(), "NameEdit"); }
};

TEST_F(EncodingWindowTest, OptionsOffersEveryEncodingAsARadioChoiceWithLatin1Checked)
{
    auto* menu = Child<QMenu>(Frame, "EncodingMenu");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), static_cast<qsizetype>(ScriptEncodings().size()));
    for (QAction* action : menu->actions()) {
        EXPECT_TRUE(action->isCheckable());
        EXPECT_TRUE(action->actionGroup() && action->actionGroup()->isExclusive());
    }
    EXPECT_TRUE(EncodingItem(Latin1)->isChecked());
}

TEST_F(EncodingWindowTest, ChoosingCyrillicStoresTypedNamesAsItsBytesAndRemembersTheChoice)
{
    EncodingItem("windows-1251")->trigger();
    EXPECT_TRUE(EncodingItem("windows-1251")->isChecked());
    EXPECT_EQ(QSettings().value(QStringLiteral("ScriptTextEncoding")).toString(), "windows-1251");
    const TMainForm nextRun;  // the next start reads the choice back for its project
    EXPECT_STREQ(nextRun.Document().Encoding().Encoding().Name, "windows-1251");

    NPCName()->clear();
    NPCName()->insert(QString::fromUtf8("\u0416\u0443\u043A"));  // as typed on a Cyrillic keyboard
    EXPECT_EQ(Project().NPCInfo.Name, "\xC6\xF3\xEA");
    Run("WinOutputItem");
    ASSERT_NE(OutputWindow(), nullptr);
    EXPECT_TRUE(OutputWindow()->Editor()->toPlainText().contains(QString::fromUtf8("\u0416\u0443\u043A")));

    // The same bytes read in another encoding show other characters; the bytes stay.
    EncodingItem(Latin1)->trigger();
    EXPECT_EQ(NPCName()->text(), QString::fromLatin1("\xC6\xF3\xEA"));
    EXPECT_EQ(Project().NPCInfo.Name, "\xC6\xF3\xEA");
}

TEST_F(EncodingWindowTest, AnUnknownNameIsRefusedAndChangesNothing)
{
    EncodingItem("windows-1251")->trigger();
    EXPECT_THROW(Frame->OptionsScriptEncoding("EBCDIC"), ETextEncodingError);
    EXPECT_STREQ(Document().Encoding().Encoding().Name, "windows-1251");
    EXPECT_STREQ(Frame->ChosenEncoding().Encoding().Name, "windows-1251");
}

// After the switch every line of the output is read in the new encoding, those whose bytes did
// not change as well: the window never mixes two encodings.
TEST_F(EncodingWindowTest, TheOutputIsReadAgainWholeInTheNewEncoding)
{
    EncodingItem("windows-1251")->trigger();
    NPCName()->clear();
    NPCName()->insert(QString::fromUtf8("\u0416\u0443\u043A"));
    Run("WinOutputItem");
    ASSERT_NE(OutputWindow(), nullptr);
    const std::vector<std::string> bytes = OutputWindow()->ScriptLines();
    EncodingItem(Latin1)->trigger();
    ASSERT_EQ(OutputWindow()->ScriptLines(), bytes) << "the bytes stay";
    const QStringList shown = OutputWindow()->Editor()->toPlainText().split(u'\n');
    ASSERT_EQ(shown.size(), static_cast<qsizetype>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(shown[static_cast<qsizetype>(i)], QString::fromLatin1(bytes[i].data(), static_cast<qsizetype>(bytes[i].size()))) << i;
}

// The same box as the header's refusal below: one way of saying a field was refused.
TEST_F(EncodingWindowTest, TheNPCNameRefusesACharacterTheEncodingLacksWithAnError)
{
    NPCName()->setText(QStringLiteral("Kafra"));
    NPCName()->insert(QString::fromUtf8("\u20AC"));
    EXPECT_EQ(Project().NPCInfo.Name, "Kafra");
    EXPECT_EQ(NPCName()->text(), QStringLiteral("Kafra"));
    EXPECT_TRUE(Dialogs->Messages.empty());
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QString::fromUtf8("\u20AC")));
}

TEST_F(EncodingWindowTest, HeaderApplyStoresNothingWhenAFieldHoldsWhatTheEncodingLacks)
{
    const TNPCHeader before = Project().HeaderInfo;
    Run("WinHeaderInfoItem");
    ASSERT_NE(MainForm->HeaderWindow(), nullptr);
    Child<QLineEdit>(MainForm->HeaderWindow(), "NameEdit")->setText(QStringLiteral("Shop"));
    Child<QLineEdit>(MainForm->HeaderWindow(), "AuthorEdit")->setText(QString::fromUtf8("\u0416"));
    Click(Child<QPushButton>(MainForm->HeaderWindow(), "ApplyButton"));
    ProcessDeletions();
    EXPECT_EQ(Project().HeaderInfo, before);
    ASSERT_NE(MainForm->HeaderWindow(), nullptr) << "the window stays open to correct the field";
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QString::fromUtf8("\u0416")));
}

// A project and a script file open side by side: the menu changes the project's encoding, the file
// keeps the one it was opened in, and each window shows and takes the bytes of its own.
class EncodingSideBySideTest : public scriptfiletest::ScriptFileFormTest {};

TEST_F(EncodingSideBySideTest, AProjectAndAScriptFileEachShowAndTakeTheirOwnBytes)
{
    Command("Encoding_windows-1251")->trigger();
    TScriptFileForm* file = OpenTown();
    ASSERT_NE(file, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(file, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    Command("Encoding_ISO-8859-1")->trigger();
    EXPECT_STREQ(file->Encoding().Encoding().Name, "windows-1251");
    EXPECT_STREQ(npc->Document().Encoding().Encoding().Name, "windows-1251");

    const QString cyrillic = QString::fromUtf8("\u0416\u0443\u043A");
    QLineEdit* fileName = Child<QLineEdit>(npc->NpcWindow(), "NameEdit");
    fileName->clear();
    fileName->insert(cyrillic);
    EXPECT_EQ(npc->Document().Project().NPCInfo.Name, "\xC6\xF3\xEA");
    // The same bytes in the project read as Latin-1; the Cyrillic letters are refused there.
    QLineEdit* projectName = Child<QLineEdit>(NPCWindow(), "NameEdit");
    projectName->clear();
    projectName->insert(QString::fromLatin1("\xC6\xF3\xEA"));
    EXPECT_EQ(Project().NPCInfo.Name, "\xC6\xF3\xEA");
    projectName->insert(cyrillic);
    EXPECT_EQ(Project().NPCInfo.Name, "\xC6\xF3\xEA");
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(cyrillic.left(1)));
    EXPECT_EQ(fileName->text(), cyrillic);
    EXPECT_EQ(npc->Document().Project().NPCInfo.Name, "\xC6\xF3\xEA");
}

} // namespace
