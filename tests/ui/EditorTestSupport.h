#pragma once
// What the task editor tests share: small catalogues set up in place, groups added to the tree,
// user input on real widgets, a stand-in for the dialogs, and the editor's report to its opener.

#include "model/Records.h"
#include "DocumentSupport.h"
#include "model/ActionTasks.h"
#include "document/Document.h"
#include "model/Tasks.h"
#include "ui/Dialogs.h"
#include "ui/TaskEditor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "CatalogueTestSupport.h"
#include "FakeDialogs.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace editortest {

// A new group, registered, as the last child of "Start".
inline TGroupTask* AddGroup(const std::string& caption)
{
    return Project().AttachTask(Project().TaskTree.GetFirstNode(), Project().NewGroup(caption));
}

// Registers a task in the tree (under "Start") as the tree window would, and returns it.
template <class T>
T* AddTask(std::unique_ptr<T> task)
{
    return Project().AttachTask(Project().TaskTree.GetFirstNode(), std::move(task));
}

// Deletes the task's node as the tree window does, through the project document.
inline void DeleteTask(TTask* task)
{
    Document().DeleteNode(task->Node);
}

inline std::vector<std::string> ComboTexts(const QComboBox* combo)
{
    std::vector<std::string> texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.push_back(combo->itemText(i).toStdString());
    return texts;
}

using cataloguetest::AddItem;
using cataloguetest::AddJob;
using cataloguetest::AddMap;
using cataloguetest::SetUpEditorCatalogues;
// The widget helpers and the fake dialogs every window test uses.
using namespace widgettest;

inline void ClickRow(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr) << "row " << row;
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

inline void ClickRow(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    ClickRow(list, list->row(found.front()));
}

// Replaces the text of a field by typing.
inline void Type(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

inline std::vector<std::string> ListTexts(const QListWidget* list)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list->count(); ++row)
        texts.push_back(list->item(row)->text().toStdString());
    return texts;
}

// What an editor reported through OnDone. What Apply made is taken at once, as the opener does:
// a new task is kept here, an edited copy goes through the project document into the task.
struct TDoneReport {
    int Calls = 0;
    bool Cancelled = false;
    bool EditMode = false;
    TTask* Task = nullptr;
    std::unique_ptr<TTask> NewTask;
};

inline void Listen(TTaskEditorForm* editor, TDoneReport& report)
{
    editor->OnDone = [&report](TTaskEditorForm* done, bool cancelled) {
        ++report.Calls;
        report.Cancelled = cancelled;
        report.EditMode = done->EditMode();
        report.Task = done->Task();
        std::unique_ptr<TTask> result = done->TakeResult();
        if (!cancelled && done->EditMode() && result && done->Task())
            Document().EditTask(done->Task(), *result);
        else
            report.NewTask = std::move(result);
    };
}

// How an open editor's task goes away: deleted from the tree, or with its whole project replaced.
struct TGoneCase {
    const char* Name;
    bool ReplaceProject;
};

// Creates an editor of type T as the task tree window does, and deletes what is left of it at the
// end of the test.
template <class T>
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpEditorCatalogues(); }

    void TearDown() override
    {
        delete Form.data();
        ProcessDeletions();
    }

    T* Open(TTask* task = nullptr)
    {
        Form = new T(Document());
        if (FormDialogs)
            SetDialogs(*Form, std::move(FormDialogs));
        Form->LoadTask(task);
        Listen(Form, Report);
        Form->show();
        return Form;
    }

    QPushButton* Button(const char* name) const { return Child<QPushButton>(Form, name); }

    QPointer<T> Form;
    // What the editor Open makes answers with, when given; the real dialogs else.
    std::unique_ptr<TDialogs> FormDialogs;
    TDoneReport Report;
};

} // namespace editortest
