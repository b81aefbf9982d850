#pragma once
// What the task tree window and output window tests share: the catalogues the script needs, a
// stand-in for the dialogs that fails the test on any error box, the task tree window made and
// torn down around each test, and reading the colours the highlighter left in a document.

#include "model/Records.h"
#include "DocumentSupport.h"
#include "model/ActionTasks.h"
#include "model/Tasks.h"
#include "ui/Dialogs.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Tasks.h"
#include "ui/SyntaxHighlight.h"
#include "ui/TaskEditor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "CatalogueTestSupport.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tasktest {

class TRecordingDialogs final : public TDialogs {
public:
    explicit TRecordingDialogs(std::vector<std::string>& errors) : Errors_(errors) {}
    TAnswer Question(QWidget*, const QString&, const QString&) override { return TAnswer::Cancel; }
    void Message(QWidget*, const QString&, const QString&) override {}
    void Error(QWidget*, const QString& text) override { Errors_.push_back(text.toStdString()); }
    QString OpenProjectFileName(QWidget*, const QString&) override { return {}; }
    QString SaveProjectFileName(QWidget*, const QString&) override { return {}; }
    std::optional<QColor> ChooseColor(QWidget*, const QColor&) override { return std::nullopt; }

private:
    std::vector<std::string>& Errors_;
};

using cataloguetest::SetUpTaskWindowCatalogues;
using widgettest::ProcessDeletions;

// Every top-level window of type T that is still alive.
template <class T>
std::vector<T*> OpenWindows()
{
    std::vector<T*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<T*>(widget))
            windows.push_back(window);
    }
    return windows;
}

// A task tree window, shown and active, made fresh for every test (it starts a new project).
class TaskWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpTaskWindowCatalogues();
        Form = new TTaskForm(Document());
        SetDialogs(*Form, std::make_unique<TRecordingDialogs>(Errors));
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    }

    void TearDown() override
    {
        for (TTaskEditorForm* editor : OpenWindows<TTaskEditorForm>())
            delete editor;
        if (Form)
            delete Form->Output();
        delete Form;
        ProcessDeletions();
        Document().NewProject();
        EXPECT_TRUE(Errors.empty()) << "error box: " << Errors.front();
    }

    // The task window and its output window while it is open.
    TTaskForm* TaskWindow() const { return Form; }
    TEditorForm* OutputWindow() const { return Form->Output(); }

    std::vector<std::string> Errors;
    TTaskForm* Form = nullptr;
};

// The foreground colour the highlighter gave the character at column of line; none when the
// character keeps the control's own text colour. The line need not have been in view.
inline std::optional<QColor> ColourAt(QPlainTextEdit* control, int line, int column)
{
    FinishColouring(control);
    const QTextBlock block = control->document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length &&
            range.format.hasProperty(QTextFormat::ForegroundBrush))
            return range.format.foreground().color();
    }
    return std::nullopt;
}

// The line of the control's text that starts with text (after its indentation), or -1.
inline int LineStartingWith(const QPlainTextEdit* control, const QString& text)
{
    for (QTextBlock block = control->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().trimmed().startsWith(text))
            return block.blockNumber();
    }
    return -1;
}

} // namespace tasktest
