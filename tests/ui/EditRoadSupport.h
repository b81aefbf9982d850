#pragma once
// The task tree window as the user drives it, for the tests of the roads from a button or a menu
// entry through an editor to the tree and the script: the window made and torn down around each
// test, the editors it opened, the output window's lines, and a stand-in for the dialogs.

#include "EditorTestSupport.h"
#include "DocumentSupport.h"

#include "ui/Form_Actions.h"
#include "ui/Form_CodeTask.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Items.h"
#include "ui/Form_Tasks.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace editortest {

class EditRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpEditorCatalogues();
        Tasks = new TTaskForm(Document());
    }

    void TearDown() override
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<TTaskEditorForm*>(window) || qobject_cast<TItemForm*>(window))
                delete window;
        delete Tasks.data();
        ProcessDeletions();
    }

    TTaskForm* TaskWindow() const { return Tasks; }
    TEditorForm* OutputWindow() const { return Tasks ? Tasks->Output() : nullptr; }

    QPushButton* ActionButton() const { return Child<QPushButton>(Tasks, "ActionButton"); }

    // The editor of type T the tree window opened (a window of its own without a frame).
    template <class T>
    T* OpenedEditor() const
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<T*>(window); editor && editor->isVisible())
                return editor;
        return nullptr;
    }

    TActionForm* OpenedActionEditor() const { return OpenedEditor<TActionForm>(); }

    std::vector<std::string> OutputLines() const
    {
        std::vector<std::string> lines;
        if (!OutputWindow())
            return lines;
        const QTextDocument* document = OutputWindow()->Editor()->document();
        for (int i = 0; i < document->blockCount(); ++i)
            lines.push_back(document->findBlockByNumber(i).text().toStdString());
        return lines;
    }

    QPointer<TTaskForm> Tasks;
};

class CodeRoadTest : public EditRoadTest {
protected:
    void SetUp() override
    {
        EditRoadTest::SetUp();
        auto dialogs = std::make_unique<TFakeDialogs>();
        Dialogs_ = dialogs.get();
        SetDialogs(*Tasks, std::move(dialogs));
    }

    // Runs an entry of the Statement button's menu; the editor it opened, if any.
    TCodeTaskForm* RunStatementEntry(const char* name) const
    {
        auto* action = Tasks->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        if (action)
            action->trigger();
        return OpenedEditor<TCodeTaskForm>();
    }

    void Apply(QWidget* editor) const
    {
        Click(Child<QPushButton>(editor, "ApplyButton"));
        ProcessDeletions();
    }

    // Whether the output window shows a line reading text, its indentation aside.
    bool Shows(const std::string& text) const
    {
        const auto lines = OutputLines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.substr(std::min(line.find_first_not_of('\t'), line.size())) == text;
        });
    }

    TTaskNode* Start() const { return Project().TaskTree.GetFirstNode(); }

    // Selects node and presses Edit; the editor of type T that opened.
    template <class T>
    T* EditNode(TTaskNode* node) const
    {
        Project().TaskTree.Select(node);
        Click(Child<QPushButton>(Tasks, "EditButton"));
        return OpenedEditor<T>();
    }
    std::string FirstError() const { return Dialogs_->Errors.empty() ? std::string() : Dialogs_->Errors[0].toStdString(); }

    TFakeDialogs* Dialogs_ = nullptr;
};

inline // Replaces a multi-line field's text by lines typed one after another.
void TypeLines(QPlainTextEdit* field, const QStringList& lines)
{
    Type(field, lines.value(0));
    for (int i = 1; i < lines.size(); ++i) {
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, lines[i]);
    }
}

} // namespace editortest
