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

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace editortest {

inline void AddJob(std::int32_t id, const std::string& name)
{
    TestCatalogues().Jobs.push_back(std::make_unique<TJob>(TJob{id, name}));
}

inline void AddMap(const std::string& name, const std::string& file)
{
    TestCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{name, file}));
}

inline const TItem* AddItem(std::int32_t id, const std::string& name, std::int32_t slotCount = 0,
                            std::int32_t price = 0)
{
    auto item = std::make_unique<TItem>();
    item->ID = id;
    item->Name = name;
    item->Slots = slotCount;
    item->Price = price;
    TestCatalogues().Items.push_back(std::move(item));
    return TestCatalogues().Items.back().get();
}

// Jobs Novice (0), Swordman (1), Knight (7); maps Prontera and Geffen; a few items; the action
// catalogue; a new project with its group "Start".
inline void SetUpCatalogues()
{
    TestCatalogues().Clear();
    AddJob(0, "Novice");
    AddJob(1, "Swordman");
    AddJob(7, "Knight");
    AddMap("Prontera", "prontera.gat");
    AddMap("Geffen", "geffen.gat");
    AddItem(501, "Red Potion", 0, 50);
    AddItem(1201, "Knife", 3, 50);
    AddItem(2104, "Buckler", 2, 14000);
    ResetTestDocument();
}

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

using widgettest::Child;
using widgettest::Click;
using widgettest::ProcessDeletions;
using widgettest::ShowsWholeCaption;
using widgettest::ShowsWholeText;

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

// Picks an entry the way the keyboard does: Home, then Down until it is reached.
inline void PickEntry(QComboBox* combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->currentIndex(), index);
}

inline void PickEntry(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    PickEntry(combo, index);
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

// Answers the colour chooser with queued colours (nothing: the user cancelled) and remembers the
// colour each call started from. The other dialogs fail the test if they are opened.
class TFakeDialogs final : public TDialogs {
public:
    std::deque<std::optional<QColor>> Colours;
    std::vector<QColor> InitialColours;
    std::vector<QString> Errors;

    TAnswer Question(QWidget*, const QString& text, const QString&) override
    {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return TAnswer::Cancel;
    }
    void Message(QWidget*, const QString& text, const QString&) override
    {
        ADD_FAILURE() << "unexpected message: " << text.toStdString();
    }
    void Error(QWidget*, const QString& text) override { Errors.push_back(text); }
    QString OpenProjectFileName(QWidget*, const QString&) override { return {}; }
    QString SaveProjectFileName(QWidget*, const QString&) override { return {}; }
    std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override
    {
        InitialColours.push_back(initial);
        if (Colours.empty()) {
            ADD_FAILURE() << "colour chooser opened without a prepared answer";
            return std::nullopt;
        }
        auto colour = Colours.front();
        Colours.pop_front();
        return colour;
    }
};

// Creates an editor of type T as the task tree window does, and deletes what is left of it at the
// end of the test.
template <class T>
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpCatalogues(); }

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
