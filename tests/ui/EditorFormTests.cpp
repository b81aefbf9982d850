// The output window: one window with the latest script, remade after it is closed, yellow
// fixed-pitch text on navy with every token coloured; and the colouring functions the
// manual-code editor shares with it.

#include "TaskWindowSupport.h"
#include "DocumentSupport.h"

#include "output/Highlight.h"
#include "model/ManualTasks.h"
#include "model/MessageTasks.h"
#include "ui/Form_Editor.h"
#include "ui/SyntaxHighlight.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <functional>

using namespace tasktest;

namespace {

QColor Colour(TRgb colour)
{
    return QColor(colour.R, colour.G, colour.B);
}

// Every colour range of every line of a control, as text.
std::vector<std::string> ColourRanges(QPlainTextEdit* control)
{
    FinishColouring(control);
    std::vector<std::string> ranges;
    for (QTextBlock block = control->document()->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            ranges.push_back(std::to_string(block.blockNumber()) + ":" + std::to_string(range.start) + "+" +
                             std::to_string(range.length) + " " +
                             range.format.foreground().color().name().toStdString());
        }
    }
    return ranges;
}

class EditorFormTest : public TaskWindowTest {
protected:
    static TMessageTask* AddMessage(TTaskNode* parent, std::vector<std::string> lines)
    {
        auto message = std::make_unique<TMessageTask>(lines);
        message->Caption = "Message: " + LinesText(lines);
        TMessageTask* raw = message.get();
        Project().TaskTree.AddChild(parent, message->Caption, raw);
        Project().TaskList.RegisterTask(std::move(message));
        return raw;
    }

    static std::vector<std::string> CurrentScript()
    {
        std::vector<std::string> lines;
        GenerateScript(Project(), lines);
        return lines;
    }

    // The output window shows the current script, text, colours and lines, as a fresh one would.
    void ExpectShowsCurrentScript(const std::string& name) const
    {
        QPlainTextEdit fresh;
        fresh.setPalette(OutputWindow()->Editor()->palette());
        std::string text;
        for (const std::string& line : CurrentScript())
            text += line + "\n";
        text.pop_back();
        SetScriptText(&fresh, QString::fromLatin1(text.c_str()), Document().Encoding(), &Document());
        EXPECT_EQ(OutputWindow()->Editor()->toPlainText(), fresh.toPlainText()) << name;
        EXPECT_EQ(ColourRanges(OutputWindow()->Editor()), ColourRanges(&fresh)) << name;
        EXPECT_EQ(OutputWindow()->ScriptLines(), CurrentScript()) << name;
    }
};

TEST_F(EditorFormTest, ShowingTheOutputTwiceKeepsOneWindowWithTheLatestScript)
{
    Project().NPCInfo.Name = "Guide";
    Form->ShowOutput();
    TEditorForm* first = OutputWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->windowTitle(), "Output");  // the window of Windows > Output

    Project().NPCInfo.Name = "Kafra";
    Form->ShowOutput();
    EXPECT_EQ(OutputWindow(), first);
    EXPECT_EQ(OpenWindows<TEditorForm>().size(), 1u);
    EXPECT_EQ(first->ScriptLines(), CurrentScript());
    EXPECT_TRUE(first->Editor()->toPlainText().contains("\tscript\tKafra\t"));
    EXPECT_FALSE(first->Editor()->toPlainText().contains("Guide"));
}

TEST_F(EditorFormTest, AClosedWindowIsRemadeWithTheSameTabStops)
{
    Form->ShowOutput();
    QPointer<TEditorForm> first = OutputWindow();
    const qreal tabDistance = first->Editor()->tabStopDistance();
    // 30 stops of (w - 2) * 2 points each, w being the width of "A" in the script font, and never
    // closer than four blanks.
    const int letterWidth = QFontMetrics(first->Editor()->font(), first).horizontalAdvance('A');
    const qreal formula = (letterWidth - 2) * 2 * first->logicalDpiX() / 72.0;
    const qreal fourBlanks = QFontMetricsF(first->Editor()->font(), first).horizontalAdvance(QStringLiteral("    "));
    EXPECT_DOUBLE_EQ(tabDistance, std::max(formula, fourBlanks));

    first->close();
    EXPECT_EQ(OutputWindow(), nullptr);
    ProcessDeletions();
    EXPECT_TRUE(first.isNull());

    Form->ShowOutput();
    ASSERT_NE(OutputWindow(), nullptr);
    EXPECT_EQ(OutputWindow()->Editor()->tabStopDistance(), tabDistance);
    EXPECT_EQ(OutputWindow()->ScriptLines(), CurrentScript());
}

TEST_F(EditorFormTest, TheScriptIsYellowFixedPitchOnNavyAndReadOnly)
{
    Form->ShowOutput();
    const QPlainTextEdit* editor = OutputWindow()->Editor();
    EXPECT_TRUE(editor->isReadOnly());
    EXPECT_EQ(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(editor->font().pixelSize(), 12);
    EXPECT_TRUE(QFontInfo(editor->font()).fixedPitch());
    EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(editor->palette().color(QPalette::Text), QColor(255, 255, 0));
    EXPECT_EQ(OutputWindow()->size(), QSize(400, 400));
}

TEST_F(EditorFormTest, EveryTokenKindCarriesItsColourInTheDocument)
{
    AddMessage(Project().TaskTree.GetFirstNode(), {"Hello."});
    Form->ShowOutput();
    QPlainTextEdit* editor = OutputWindow()->Editor();

    const int header = 0;  // "//===== eAthena Script ====..."
    EXPECT_EQ(ColourAt(editor, header, 0), Colour(ColourSilver));
    EXPECT_EQ(ColourAt(editor, header, 30), Colour(ColourSilver));

    const int npcLine = LineStartingWith(editor, "prontera.gat,");
    ASSERT_GE(npcLine, 0);
    EXPECT_EQ(ColourAt(editor, npcLine, 0), std::nullopt);     // prontera: a plain word
    EXPECT_EQ(ColourAt(editor, npcLine, 8), Colour(ColourWhite));  // .
    EXPECT_EQ(ColourAt(editor, npcLine, 13), Colour(ColourAqua));  // 0 (X)

    const int label = LineStartingWith(editor, "L0:");
    ASSERT_GE(label, 0);
    EXPECT_EQ(ColourAt(editor, label, 1), Colour(ColourLime));
    EXPECT_EQ(ColourAt(editor, label, 3), Colour(ColourWhite));

    const int message = LineStartingWith(editor, "mes \"Hello.\"");
    ASSERT_GE(message, 0);
    EXPECT_EQ(ColourAt(editor, message, 0), std::nullopt);     // indentation is not coloured
    EXPECT_EQ(ColourAt(editor, message, 2), Colour(ColourWhite));  // mes
    // The blank is a yellow token: the control's own colour draws it, no format needed.
    EXPECT_EQ(ColourAt(editor, message, 5), std::nullopt);
    EXPECT_EQ(editor->palette().color(QPalette::Text), Colour(ColourYellow));
    EXPECT_EQ(ColourAt(editor, message, 6), Colour(ColourRed));    // "Hello."
    EXPECT_EQ(ColourAt(editor, message, 13), Colour(ColourRed));
    EXPECT_EQ(ColourAt(editor, message, 14), Colour(ColourWhite)); // ;
}

TEST_F(EditorFormTest, TheLinesKeepTheScriptsBytesExactly)
{
    // A user-named message: its caption is written as one comment line, its line break a blank.
    TMessageTask* message = AddMessage(Project().TaskTree.GetFirstNode(), {"Caf\xE9 au lait"});
    message->Rename("Two\r\nlines");
    Form->ShowOutput();

    const std::vector<std::string>& lines = OutputWindow()->ScriptLines();
    EXPECT_EQ(lines, CurrentScript());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "\t\t// Two lines //"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "\t\tmes \"Caf\xE9 au lait\";"), lines.end());
    EXPECT_TRUE(OutputWindow()->Editor()->toPlainText().contains(QString::fromLatin1("Caf\xE9")));
}

TEST_F(EditorFormTest, ShowOutputReportsWhatTheWriterFound)
{
    Project().NPCInfo.MapIndex = -1;
    const TScriptResult result = Form->ShowOutput();
    EXPECT_EQ(result.Problems, std::vector<std::string>{NoMapProblem});
}

// The manual-code editor's use: colour all once, then only the line that changed.
TEST_F(EditorFormTest, HighlightLineRecoloursOneLineAsTheModelNowKnowsIt)
{
    QPlainTextEdit control;
    control.setPlainText("goto L1;\ngoto L1;");
    HighlightAll(&control, Document().Encoding(), &Document());
    EXPECT_EQ(ColourAt(&control, 0, 0), Colour(ColourWhite));
    EXPECT_EQ(ColourAt(&control, 0, 5), std::nullopt);  // no group 1 yet

    auto group = Project().NewGroup("Shop");
    ASSERT_EQ(group->GroupNumber, 1);
    Project().TaskTree.AddChild(Project().TaskTree.GetFirstNode(), group->Caption, group.get());
    Project().TaskList.RegisterTask(std::move(group));

    HighlightLine(&control, 1);
    EXPECT_EQ(ColourAt(&control, 1, 5), Colour(ColourLime));
    EXPECT_EQ(ColourAt(&control, 0, 5), std::nullopt);  // only the line asked for
    HighlightLine(&control, 7);                          // past the end: nothing to colour
    HighlightAll(&control, Document().Encoding(), &Document());
    EXPECT_EQ(ColourAt(&control, 0, 5), Colour(ColourLime));
}

TEST_F(EditorFormTest, TypedTextIsColouredAsItArrives)
{
    QPlainTextEdit control;
    HighlightAll(&control, TTextEncoding());  // an empty control: nothing to colour, but colouring is attached
    control.insertPlainText("set Zeny, 5;");
    EXPECT_EQ(ColourAt(&control, 0, 0), Colour(ColourWhite));
    EXPECT_EQ(ColourAt(&control, 0, 4), Colour(ColourSkyBlue));
    EXPECT_EQ(ColourAt(&control, 0, 10), Colour(ColourAqua));
}

TEST_F(EditorFormTest, SetScriptTextReplacesTheTextAndItsColours)
{
    QPlainTextEdit control;
    SetScriptText(&control, "\"red\"", TTextEncoding());
    EXPECT_EQ(ColourAt(&control, 0, 1), Colour(ColourRed));
    SetScriptText(&control, "12345", TTextEncoding());
    EXPECT_EQ(control.toPlainText(), "12345");
    EXPECT_EQ(ColourAt(&control, 0, 1), Colour(ColourAqua));
}

TEST_F(EditorFormTest, YellowTokensGetTheirColourInAControlOfAnotherTextColour)
{
    QPlainTextEdit control;
    QPalette black = control.palette();
    black.setColor(QPalette::Text, Qt::black);
    control.setPalette(black);
    SetScriptText(&control, "getitem 1;", TTextEncoding());
    EXPECT_EQ(ColourAt(&control, 0, 0), Colour(ColourYellow));  // an action word
    EXPECT_EQ(ColourAt(&control, 0, 7), Colour(ColourYellow));  // the blank
}

TEST_F(EditorFormTest, AfterEveryEditTheWindowShowsWhatAFreshWindowWould)
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    TMessageTask* hello = nullptr;
    TGroupTask* shop = nullptr;
    const std::vector<std::pair<const char*, std::function<void()>>> edits{
        {"message added", [&] { hello = AddMessage(start, {"Hello."}); }},
        {"manual code jumping to a group not made yet",
         [&] {
             auto manual = std::make_unique<TManualTask>(std::vector<std::string>{"goto L1;", "end;"});
             Project().TaskTree.AddChild(start, "Manual", manual.get());
             Project().TaskList.RegisterTask(std::move(manual));
         }},
        {"the group made: the unchanged jump turns lime",
         [&] {
             auto group = Project().NewGroup("Shop");
             shop = group.get();
             Project().TaskTree.AddChild(start, "Shop", shop);
             Project().TaskList.RegisterTask(std::move(group));
         }},
        {"the group named: the unchanged jump to its number turns plain", [&] { shop->LabelName = "S_Shop"; }},
        {"NPC line changed", [] { Project().NPCInfo.Name = "Kafra"; }},
        {"caption with line breaks", [&] { hello->Rename("Two\r\nlines\rand\nmore"); }},
        {"comment lines inserted at the top", [] { Project().HeaderInfo.Comments = "One\r\nTwo\r\nThree"; }},
        {"the group deleted: the jump turns plain", [&] { Project().TaskTree.Delete(shop->Node); }},
        {"caption with line breaks deleted", [&] { Project().TaskTree.Delete(hello->Node); }},
        {"nothing changed", [] {}},
        {"everything but Start deleted",
         [&] {
             while (start->ChildCount() > 0)
                 Project().TaskTree.Delete(start->Child(0));
         }},
        {"a new project", [] { Document().NewProject(); }},
    };
    Form->ShowOutput();
    for (const auto& [name, edit] : edits) {
        edit();
        Form->ShowOutput();
        ExpectShowsCurrentScript(name);
    }
}

// Changes through the document reach the open window as the lines the script memo wrote again.
TEST_F(EditorFormTest, AnOpenWindowFollowsEveryChangeOfTheDocument)
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    AddMessage(start, {"First."});
    AddMessage(start, {"Last."});
    Form->ShowOutput();
    const std::vector<std::pair<const char*, std::function<void()>>> edits{
        {"message added", [&] { Project().TaskTree.Select(start->Child(1)); Document().AddTask(std::make_unique<TMessageTask>(std::vector<std::string>{"Middle."})); }},
        {"first message deleted", [&] { Document().DeleteNode(start->Child(0)); }},
        {"undone", [] { Document().Undo(); }},
        {"redone", [] { Document().Redo(); }},
        {"lines shown from elsewhere, then a change",
         [this] {
             OutputWindow()->ShowScript(std::vector<std::string>{"end;"});
             Document().Undo();
         }},
        {"undone to the start", [] { Document().Undo(); Document().Undo(); }},
    };
    for (const auto& [name, edit] : edits) {
        edit();
        FinishColouring(OutputWindow()->Editor());
        ExpectShowsCurrentScript(name);
    }
}

TEST_F(EditorFormTest, AChangeBelowTheViewKeepsTheScrollPosition)
{
    Form->ShowOutput();
    std::vector<std::string> lines;
    for (int i = 0; i < 400; ++i)
        lines.push_back("mes \"line " + std::to_string(i) + "\";");
    OutputWindow()->ShowScript(lines);
    QScrollBar* bar = OutputWindow()->Editor()->verticalScrollBar();
    bar->setValue(100);
    lines[350] = "close;";
    lines.insert(lines.begin() + 360, "next;");
    OutputWindow()->ShowScript(lines);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(OutputWindow()->Editor()->document()->findBlockByNumber(360).text().toStdString(), "next;");
}

// Marks a block so that a test can tell whether an update kept it or made it anew.
class TBlockMark final : public QTextBlockUserData {};

QString Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    if (!text.empty())
        text.pop_back();
    return QString::fromLatin1(text.c_str());
}

TEST_F(EditorFormTest, EveryUpdateShowsWhatAFreshControlWouldAndKeepsTheUnchangedEnds)
{
    struct TCase {
        const char* Name;
        std::vector<std::string> Before, After;
        bool FirstKept, LastKept;  // the first / last line must still be a block shown before
        int MiddleKept = -1;       // a line of Before that must still be the block it was
        std::vector<std::string> Then = {};  // shown next, when there is a second update
        std::optional<TLineChange> Changed = {};  // the lines of Before and After known to differ
    };
    const std::vector<TCase> cases{
        {"empty to lines", {}, {"mes \"a\";", "close;"}, false, false},
        {"lines to empty", {"mes \"a\";", "close;"}, {}, false, false},
        {"all different", {"mes \"a\";", "close;"}, {"set Zeny, 1;", "end;", "L_1:"}, false, false},
        {"nothing changed", {"mes \"a\";", "next;", "close;"}, {"mes \"a\";", "next;", "close;"}, true, true},
        {"inserted at the start", {"next;", "close;"}, {"// top", "mes \"a\";", "next;", "close;"}, false, true},
        {"inserted in the middle", {"mes \"a\";", "close;"}, {"mes \"a\";", "next;", "mes 12;", "close;"}, true, true},
        {"inserted at the end", {"mes \"a\";", "next;"}, {"mes \"a\";", "next;", "close;", "}"}, true, false},
        {"deleted at the start", {"// top", "mes \"a\";", "close;"}, {"close;"}, false, true},
        {"deleted in the middle", {"mes \"a\";", "next;", "set Zeny, 2;", "close;"}, {"mes \"a\";", "close;"}, true, true},
        {"deleted at the end", {"mes \"a\";", "next;", "close;"}, {"mes \"a\";"}, true, true},
        {"one line for two", {"mes \"a\";", "next;", "close;"}, {"mes \"a\";", "set Zeny, 1;", "end;", "close;"}, true, true},
        {"a block comment opened", {"mes \"a\";", "set Zeny, 1;", "close;"},
         {"mes \"a\";", "/* set Zeny, 1;", "close; */"}, true, false},
        {"inside a block comment", {"/* mes \"a\";", "set Zeny, 1;", "close; */"},
         {"/* mes \"a\";", "goto L_1;", "close; */"}, true, true},
        {"a line holding line breaks", {"mes \"a\";", "// x\r\ny", "close;"},
         {"mes \"a\";", "// x\ny\rz", "close;"}, true, true},
        {"an edit below lines holding line breaks", {"// a\r\nb", "mes 1;", "// c\nd\re", "next;", "close;"},
         {"// a\r\nb", "mes 1;", "// c\nd\re", "mes 2;", "close;"}, true, true},
        {"a block moved across a line holding line breaks",
         {"L_0:", "next;", "mes 1;", "// x\r\ny", "close;", "mes 2;", "// z\rw", "}"},
         {"L_0:", "mes 2;", "next;", "mes 1;", "// x\r\ny", "close;", "// z\rw", "}"}, true, true},
        {"lines inserted above a line holding line breaks, then lines changed below them",
         {"mes 1;", "// a\r\nb", "close;"}, {"mes 1;", "// x\ny", "mes 2;", "mes 3;", "// a\r\nb", "close;"}, true, false,
         -1, {"mes 1;", "// x\ny", "mes 2;", "mes 4;", "// a\r\nb", "end;"}},
        {"a line holding line breaks removed, then the last line changed",
         {"mes 1;", "// x\ny", "mes 2;", "// a\r\nb", "close;"}, {"mes 1;", "mes 2;", "// a\r\nb", "close;"}, true, false,
         -1, {"mes 1;", "mes 2;", "// a\r\nb", "end;"}},
        {"one line for two, the changed lines known", {"mes \"a\";", "next;", "close;"},
         {"mes \"a\";", "set Zeny, 1;", "end;", "close;"}, true, true, -1, {}, TLineChange{1, 1, 2}},
        {"a repeated line removed", {"next;", "close;", "next;"}, {"next;"}, true, true},
        {"a block moved up", {"L_0:", "next;", "mes 1;", "close;", "mes 2;", "}"},
         {"L_0:", "mes 2;", "next;", "mes 1;", "close;", "}"}, true, true},
        {"a block moved up and indented anew", {"L_0:", "next;", "close;", "\tmes 2;", "\tmes 3;", "}"},
         {"L_0:", "mes 2;", "mes 3;", "next;", "close;", "}"}, true, true},
        {"a block moved down", {"L_0:", "mes 2;", "next;", "mes 1;", "close;", "}"},
         {"L_0:", "next;", "mes 1;", "close;", "\tmes 2;", "}"}, true, true},
        {"a block moved among repeated lines", {"next;", "next;", "mes 1;", "next;", "next;"},
         {"next;", "mes 1;", "next;", "next;", "next;"}, true, true},
        {"a block moved up, the lines at both places changed",
         {"L_0:", "mes 1;", "mes 2;", "mes 3;", "mes 4;", "mes 5;", "next;", "\tmes 7;", "}"},
         {"L_0:", "mes 7;", "next;", "mes 1;", "mes 2;", "mes 3;", "mes 4;", "mes 5;", "close;", "}"}, true, true, 3},
    };
    for (const TCase& c : cases) {
        QPlainTextEdit shown;
        UpdateScriptText(&shown, {}, c.Before, TTextEncoding());
        shown.document()->firstBlock().setUserData(new TBlockMark);
        shown.document()->lastBlock().setUserData(new TBlockMark);
        if (c.MiddleKept >= 0)
            shown.document()->findBlockByNumber(c.MiddleKept).setUserData(new TBlockMark);
        UpdateScriptText(&shown, c.Before, c.After, TTextEncoding(), nullptr, c.Changed);
        if (!c.Then.empty())
            UpdateScriptText(&shown, c.After, c.Then, TTextEncoding());

        QPlainTextEdit fresh;
        SetScriptText(&fresh, Joined(c.Then.empty() ? c.After : c.Then), TTextEncoding());
        EXPECT_EQ(shown.toPlainText(), fresh.toPlainText()) << c.Name;
        EXPECT_EQ(ColourRanges(&shown), ColourRanges(&fresh)) << c.Name;
        if (c.FirstKept) {
            EXPECT_NE(shown.document()->firstBlock().userData(), nullptr) << c.Name;
        }
        if (c.LastKept) {
            EXPECT_NE(shown.document()->lastBlock().userData(), nullptr) << c.Name;
        }
        if (c.MiddleKept >= 0) {
            const QTextBlock kept = shown.document()->findBlock(
                shown.toPlainText().indexOf(QString::fromLatin1(c.Before[c.MiddleKept].c_str())));
            EXPECT_NE(kept.userData(), nullptr) << c.Name;
        }
    }
}

TEST_F(EditorFormTest, ChangedLinesThatDoNotFitTheScriptsAreComparedWhole)
{
    QPlainTextEdit shown;
    UpdateScriptText(&shown, {}, {"next;", "close;"}, TTextEncoding());
    UpdateScriptText(&shown, {"next;", "close;"}, {"next;", "end;", "close;"}, TTextEncoding(), nullptr,
                     TLineChange{1, 1, 1});
    EXPECT_EQ(shown.toPlainText(), QStringLiteral("next;\nend;\nclose;"));
}

// A script longer than a change colours at once, a comment over two lines in its middle.
std::vector<std::string> LongScript(int count)
{
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(i % 2 ? "mes \"line " + std::to_string(i) + "\";" : "set Zeny, " + std::to_string(i) + ";");
    lines[static_cast<std::size_t>(count / 2)] = "/* a comment";
    lines[static_cast<std::size_t>(count / 2 + 1)] = "over two lines */ close;";
    return lines;
}

TEST_F(EditorFormTest, EditsWhileLinesWaitForTheirColoursEndAsAFreshColouring)
{
    struct TEdit {
        const char* Name;
        int Line, RemovedLines;  // from the start of Line, then Text typed there
        const char* Text;
    };
    const std::vector<TEdit> edits{
        {"a comment opened at the top", 0, 0, "/* "},
        {"typed far below the lines coloured at once", 1500, 0, "goto L_1; "},
        {"lines removed before the end of the lines coloured at once", 100, 50, ""},
        {"lines removed across the end of the lines coloured at once", 250, 200, ""},
        {"lines inserted at the top", 0, 0, "next;\nclose;\n"},
        {"a comment closed near the end", 1900, 0, "*/ "},
    };
    for (const TEdit& e : edits) {
        QPlainTextEdit shown;
        SetScriptText(&shown, Joined(LongScript(2000)), TTextEncoding());
        QTextCursor cursor(shown.document()->findBlockByNumber(e.Line));
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, e.RemovedLines);
        cursor.insertText(QString::fromLatin1(e.Text));
        QPlainTextEdit fresh;
        fresh.setPlainText(shown.toPlainText());
        HighlightAll(&fresh, TTextEncoding());
        EXPECT_EQ(ColourRanges(&shown), ColourRanges(&fresh)) << e.Name;
    }
}

TEST_F(EditorFormTest, LinesOutOfViewAreColouredWhenScrolledToOrInIdleTime)
{
    QPlainTextEdit shown;
    shown.resize(300, 200);
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    SetScriptText(&shown, Joined(LongScript(3000)), TTextEncoding());
    const QTextBlock last = shown.document()->lastBlock();
    const QTextBlock middle = shown.document()->findBlockByNumber(1500);
    ASSERT_TRUE(last.layout()->formats().isEmpty());  // not coloured at once
    shown.verticalScrollBar()->setValue(shown.verticalScrollBar()->maximum());
    shown.viewport()->repaint();
    EXPECT_FALSE(last.layout()->formats().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !middle.layout()->formats().isEmpty(); }));
}

} // namespace
