#include "Form_Tasks.h"
#include "ui_Form_Tasks.h"

#include "ChildWindows.h"
#include "WindowPlaces.h"
#include "Dialogs.h"
#include "Form_Actions.h"
#include "Form_CodeTask.h"
#include "Form_Conditions.h"
#include "Form_Editor.h"
#include "Form_Manual.h"
#include "Form_Menus.h"
#include "Form_Message.h"
#include "HistoryActions.h"
#include "platform/TextEncoding.h"
#include "TaskEditor.h"
#include "TaskTreeModel.h"
#include "TaskTreeView.h"

#include "model/ActionTasks.h"
#include "model/BlockTasks.h"
#include "model/ConditionTasks.h"
#include "document/Document.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "check/Problems.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QPointer>


namespace {

constexpr int FrameLeft = 0;
constexpr int FrameTop = 115;
constexpr int OuterWidth = 408;
constexpr int OuterHeight = 347;
constexpr int MinimumOuterWidth = 248;
constexpr int MinimumOuterHeight = 323;
constexpr int ClientWidth = 398;

struct TStatementMenuEntry {
    const char* Text;
    const char* Name;
    TTaskKind Kind;
};

// The Statement button's entries; a separator before the blocks.
constexpr TStatementMenuEntry StatementMenuEntries[] = {
    {"&Command...", "AddCommandAction", TTaskKind::Command},
    {"&Set Variable...", "AddSetAction", TTaskKind::Set},
    {"Call &Function...", "AddCallAction", TTaskKind::Call},
    {"&End, Return, Break...", "AddStatementAction", TTaskKind::Statement},
    {"&If Block", "AddIfAction", TTaskKind::If},
    {"&Branch...", "AddBranchAction", TTaskKind::Branch},
    {"&Loop...", "AddLoopAction", TTaskKind::Loop},
    {"S&witch...", "AddSwitchAction", TTaskKind::Switch},
    {"C&ase...", "AddCaseAction", TTaskKind::Case},
};

} // namespace

TTaskForm::TTaskForm(TProjectDocument& document, QWidget* parent, QObject* owner)
    : QWidget(parent), Document_(document), Ui_(std::make_unique<Ui::TTaskForm>())
{
    Ui_->setupUi(this);

    Model_ = new TTaskTreeModel(Tree(), Document_.Encoding(), this);
    TasksList()->SetTaskModel(Model_);
    Model_->OnEdited = [this](TTaskNode* node, const std::string& text) {
        Guarded(this, [&] { TasksListEdited(node, text); });
    };
    TasksList()->OnDragOver = [this] { return TasksListDragOver(); };
    TasksList()->OnDrop = [this](TTaskNode* target) {
        Guarded(this, [&] { TasksListEndDrag(Tree().Selected(), target); });
    };

    EditAction_ = new QAction(QStringLiteral("Edit"), this);
    EditAction_->setShortcut(QKeySequence(Qt::Key_F2));
    EditAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(EditAction_);
    connect(EditAction_, &QAction::triggered, this, [this] { Guarded(this, [this] { EditActionExecute(); }); });
    ConnectButtons();
    ConnectTreeCommands();
    // Nothing a listener raises may travel back through the signal into someone else's edit.
    connect(&Document_, &TProjectDocument::Changed, this,
            [this](const TProjectChange& change) { Guarded(this, [&] { ProjectChanged(change); }); });

    if (!parent)
        FormCreate(owner);
}

TTaskForm::~TTaskForm() = default;

TEditorForm* TTaskForm::Output() const
{
    return Output_ && !Output_->Closed() ? Output_.data() : nullptr;
}

QList<QWidget*> TTaskForm::OpenedWindows() const
{
    QList<QWidget*> open;
    if (Output_)
        open << Output_.data();
    for (const QPointer<TTaskEditorForm>& editor : Editors_)
        if (editor)
            open << editor.data();
    return open;
}

void TTaskForm::ConnectButtons()
{
    const auto onClick = [this](QPushButton* button, void (TTaskForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { Guarded(this, [&] { (this->*handler)(); }); });
    };
    onClick(Ui_->OutputButton, &TTaskForm::OutputButtonClick);
    onClick(Ui_->EditButton, &TTaskForm::EditButtonClick);
    onClick(Ui_->DeleteButton, &TTaskForm::DeleteButtonClick);
    onClick(Ui_->GroupButton, &TTaskForm::GroupButtonClick);
    const auto onNewTask = [this](QPushButton* button, auto open) {
        connect(button, &QPushButton::clicked, this, [this, open] { Guarded(this, [&] { (this->*open)(nullptr); }); });
    };
    onNewTask(Ui_->ActionButton, &TTaskForm::OpenActionEditor);
    onNewTask(Ui_->ConButton, &TTaskForm::OpenConditionEditor);
    onNewTask(Ui_->MessageButton, &TTaskForm::OpenMessageEditor);
    onNewTask(Ui_->MenuButton, &TTaskForm::OpenMenuEditor);
    onNewTask(Ui_->ManualButton, &TTaskForm::OpenManualEditor);
    MakeStatementMenu();
}

void TTaskForm::MakeStatementMenu()
{
    auto* menu = new QMenu(Ui_->StatementButton);
    menu->setObjectName(QStringLiteral("StatementMenu"));
    for (const TStatementMenuEntry& entry : StatementMenuEntries) {
        if (entry.Kind == TTaskKind::If)
            menu->addSeparator();
        QAction* action = menu->addAction(QString::fromUtf8(entry.Text));
        action->setObjectName(QString::fromUtf8(entry.Name));
        const TTaskKind kind = entry.Kind;
        connect(action, &QAction::triggered, this, [this, kind] {
            Guarded(this, [&] {
                if (kind == TTaskKind::If)
                    AddIfBlock();
                else
                    OpenCodeEditor(nullptr, kind);
            });
        });
    }
    // A branch or a case is offered only where it may go: into the selected block, or beside the
    // selected part.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        const TTaskNode* selected = Tree().Selected();
        const auto mayGo = [selected](const TTask& task) {
            return selected && (MayHold(selected->Data(), task) ||
                                (selected->Parent() && MayHold(selected->Parent()->Data(), task)));
        };
        menu->findChild<QAction*>(QStringLiteral("AddBranchAction"))->setEnabled(mayGo(TBranchTask()));
        menu->findChild<QAction*>(QStringLiteral("AddCaseAction"))->setEnabled(mayGo(TCaseTask()));
    });
    Ui_->StatementButton->setMenu(menu);
}

// The keys and the context menu people expect in a tree run the buttons' own commands: Enter and
// a double click edit, Delete deletes, F2 renames. Only while the tree itself has the focus, so
// that an in-place edit keeps its Enter and Delete.
void TTaskForm::ConnectTreeCommands()
{
    TTaskTreeView* tree = TasksList();
    const auto treeCommand = [this, tree](const QString& text, const QList<QKeySequence>& keys,
                                          void (TTaskForm::*command)()) {
        auto* action = new QAction(text, tree);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, command] { Guarded(this, [&] { (this->*command)(); }); });
        tree->addAction(action);
        return action;
    };
    treeCommand(QStringLiteral("&Edit"), {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
                &TTaskForm::EditButtonClick);
    treeCommand(QStringLiteral("&Delete"), {QKeySequence(QKeySequence::Delete)}, &TTaskForm::DeleteButtonClick);
    // F2 itself stays with the window's own command; the menu only names it.
    treeCommand(QStringLiteral("&Rename\tF2"), {}, &TTaskForm::EditActionExecute);
    tree->SetGroupCommand(treeCommand(QStringLiteral("&Label Name..."), {}, &TTaskForm::LabelNameExecute));
    treeCommand(QStringLiteral("Move &Up"), {QKeySequence(Qt::CTRL | Qt::Key_Up)}, &TTaskForm::MoveUpExecute);
    treeCommand(QStringLiteral("Move Do&wn"), {QKeySequence(Qt::CTRL | Qt::Key_Down)}, &TTaskForm::MoveDownExecute);
    treeCommand(QStringLiteral("&Copy"), {QKeySequence(QKeySequence::Copy)}, &TTaskForm::CopyExecute);
    treeCommand(QStringLiteral("&Paste"), {QKeySequence(QKeySequence::Paste)}, &TTaskForm::PasteExecute);
    auto* separator = new QAction(tree);
    separator->setSeparator(true);
    tree->addAction(separator);
    // The Edit menu's keys reach the tree too; here the entries only name them.
    tree->addAction(MakeUndoAction(Document_, tree, THistoryKeys::Name));
    tree->addAction(MakeRedoAction(Document_, tree, THistoryKeys::Name));
    tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    // A double click edits; it must not also fold the group it was on.
    tree->setExpandsOnDoubleClick(false);
    connect(tree, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Guarded(this, [this] { EditButtonClick(); });
    });
}

void TTaskForm::FormCreate(QObject* owner)
{
    QWidget* frame = ShowChildWindow(this, owner);
    // A close box and a minimise box, no maximise box.
    const Qt::WindowFlags kind = frame == this ? Qt::Window : Qt::SubWindow;
    frame->setWindowFlags(kind | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    frame->setMinimumSize(MinimumOuterWidth, MinimumOuterHeight);
    frame->resize(OuterWidth, OuterHeight);
    // The frame's own layout catches up later; its contents rectangle is the client area now.
    SetClientSize(this, ClientWidth, frame == this ? OuterHeight : frame->contentsRect().height());
    frame->move(FrameLeft, FrameTop);
    RememberPlace(this);
    BringToFront(this);
}

TTaskTree& TTaskForm::Tree() const
{
    return Document_.Project().TaskTree;
}

TTaskTreeView* TTaskForm::TasksList() const
{
    return Ui_->TasksList;
}

std::string TTaskForm::ShortCaption(const std::string& text)
{
    return ::ShortCaption(text);
}

TTask* TTaskForm::SelectedTask() const
{
    const TTaskNode* node = Tree().Selected();
    return node ? node->Data() : nullptr;
}

TScriptResult TTaskForm::ShowOutput()
{
    if (!Output()) {
        Output_ = new TEditorForm(Document_);
        if (!OutputTitle.isEmpty())
            Output_->setWindowTitle(OutputTitle);
        Output_->Place(this);
    }
    // Asked for by the user, not by a change: written whole, whatever reached the project.
    ScriptMemo_.Forget();
    const TScriptResult& result = ScriptMemo_.Write(Document_.Project());
    ShowMarks(result);
    Output_->ShowScript(ScriptMemo_);
    BringToFront(Output_);
    return result;
}

void TTaskForm::ShowPlayingTask(const TTask* task)
{
    Model_->SetPlayingTask(task);
    if (task && task->Node)
        TasksList()->scrollTo(Model_->IndexOf(task->Node));
}

void TTaskForm::ShowMarks(const TScriptResult& written)
{
    // The memo's change is against the lines checked last only when they are its previous write.
    const bool follows = ScriptMemo_.ChangeFollows(CheckedWrite_);
    CheckedWrite_ = 0;
    LastCheck_ = CheckWrittenScript(Document_.Project(), ScriptMemo_.Lines(), written, &CheckMemo_,
                                    follows ? &ScriptMemo_.Change() : nullptr, &ScriptMemo_.Runs());
    CheckedWrite_ = ScriptMemo_.Writes();
    Model_->SetMarks(LastCheck_);
    emit Checked(LastCheck_);
}

void TTaskForm::OutputButtonClick()
{
    ShowOutput();
    TasksList()->setFocus();
}

void TTaskForm::ProjectChanged(const TProjectChange& change)
{
    // The old project still exists while its replacement is announced: the view lets go of it.
    if (change.Has(CP_Replaced)) {
        Model_->SetTree(Tree());
        ScriptMemo_.Forget();
    }
    if (!change.ChangesScript())
        return;
    // The tree's marks follow every change; an output window that is open always shows the
    // current script.
    const TScriptResult& result = ScriptMemo_.Write(Document_.Project());
    ShowMarks(result);
    // A condition's label ends with the group it jumps to: a group that came, went or was
    // renamed may change the label of any row, and the records every row may read repaint them
    // all too. A change of tasks alone repaints only the rows it touches.
    if (change.Has(CP_Groups | CP_NPC | CP_Header | CP_Replaced))
        TasksList()->viewport()->update();
    if (Output_)
        Output_->ShowScript(ScriptMemo_);
}

void TTaskForm::ShowChangedOutput()
{
    // The listener has already brought an open output window up to date.
    if (Output_)
        BringToFront(Output_);
    else
        ShowOutput();
    TasksList()->setFocus();
}

TTask* TTaskForm::AddTaskNode(std::unique_ptr<TTask> task, bool startRename)
{
    TTask* added = Document_.AddTask(std::move(task));
    if (!added)
        return nullptr;
    if (added->Kind() == TTaskKind::If || added->Kind() == TTaskKind::Switch)
        Tree().Select(added->Node);
    ShowChangedOutput();
    if (startRename)
        StartRename(added->Node);
    return added;
}

void TTaskForm::StartRename(TTaskNode* node)
{
    const QModelIndex index = Model_->IndexOf(node);
    TasksList()->scrollTo(index);
    TasksList()->edit(index);
}

// ---- Editors ---------------------------------------------------------------------------------

template <class TForm, class TPrepare>
TForm* TTaskForm::OpenEditor(TTask* task, QPushButton* button, TDoneHandler done, TPrepare prepare)
{
    button->setEnabled(false);
    auto editor = std::make_unique<TForm>(Document_);
    // The editor may report back after this window has gone (at program end).
    editor->OnDone = [self = QPointer<TTaskForm>(this), done](TTaskEditorForm* ended, bool cancelled) {
        if (self)
            Guarded(self, [&] { (self->*done)(ended, cancelled); });
    };
    try {
        prepare(*editor);
        editor->LoadTask(task);
    } catch (...) {
        button->setEnabled(true);
        throw;
    }
    TForm* shown = editor.release();
    Editors_.removeAll(nullptr);
    Editors_ << shown;
    ShowChildWindow(shown, this);
    RememberPlace(shown);
    return shown;
}

template <class TForm>
TForm* TTaskForm::OpenEditor(TTask* task, QPushButton* button, TDoneHandler done)
{
    return OpenEditor<TForm>(task, button, done, [](TForm&) {});
}

void TTaskForm::OpenActionEditor(TActionTask* task)
{
    OpenEditor<TActionForm>(task, Ui_->ActionButton, &TTaskForm::ActionEditorDone,
                            [](TActionForm& editor) { editor.ShowActions(1); });
}

void TTaskForm::OpenConditionEditor(TConTask* task)
{
    OpenEditor<TConForm>(task, Ui_->ConButton, &TTaskForm::ConditionEditorDone);
}

void TTaskForm::OpenMessageEditor(TMessageTask* task)
{
    OpenEditor<TMessageForm>(task, Ui_->MessageButton, &TTaskForm::MessageEditorDone);
}

void TTaskForm::OpenMenuEditor(TMenuTask* task)
{
    OpenEditor<TMenuForm>(task, Ui_->MenuButton, &TTaskForm::MenuEditorDone);
}

void TTaskForm::OpenManualEditor(TManualTask* task)
{
    OpenEditor<TManualForm>(task, Ui_->ManualButton, &TTaskForm::ManualEditorDone);
}

TManualForm* TTaskForm::OpenManualEditorAt(TManualTask* task, int line)
{
    if (!Ui_->ManualButton->isEnabled())
        return nullptr;
    TManualForm* editor = OpenEditor<TManualForm>(task, Ui_->ManualButton, &TTaskForm::ManualEditorDone);
    editor->GoToLine(line);
    return editor;
}

void TTaskForm::OpenCodeEditor(TTask* task, TTaskKind kind)
{
    if (!Ui_->StatementButton->isEnabled())
        return;
    OpenEditor<TCodeTaskForm>(task, Ui_->StatementButton, &TTaskForm::CodeEditorDone, [task, kind](TCodeTaskForm& editor) {
        if (!task)
            editor.SetKind(kind);
    });
}

void TTaskForm::AddIfBlock()
{
    auto block = std::make_unique<TIfTask>();
    block->Caption = block->SummaryText();
    AddTaskNode(std::move(block), false);
}

template <class TKindTask, class TCaption>
void TTaskForm::EditorDone(TTaskEditorForm* editor, bool cancelled, QPushButton* button, TCaption captionOf)
{
    button->setEnabled(true);
    if (cancelled || !editor)
        return;
    // nullptr when the edited task was destroyed (its node deleted, or the project replaced)
    // while the editor was open: there is nothing left to update.
    TTask* task = editor->Task();
    std::unique_ptr<TTask> result = editor->TakeResult();
    if (!result)
        return;
    // The edited task went while the editor was open (deleted, or its addition undone): what the
    // user typed is not thrown away without asking.
    if (editor->EditMode() && !task) {
        const QString kind = Document_.Encoding().ToQ(KindName(result->Kind()));
        if (Dialogs(this).Confirm(this,
                              QStringLiteral("The %1 this editor was changing has been deleted. Add what you "
                                             "entered as a new %1?").arg(kind),
                              QStringLiteral("Task Deleted")))
            AddTaskNode(std::move(result), false);
        return;
    }
    if (result->UserNamed == 0) {
        if (const auto* typed = dynamic_cast<const TKindTask*>(result.get()))
            result->Caption = captionOf(*typed);
    }
    if (editor->EditMode()) {
        Document_.EditTask(task, *result);
        ShowChangedOutput();
    } else {
        AddTaskNode(std::move(result), false);
    }
}

void TTaskForm::ActionEditorDone(TTaskEditorForm* editor, bool cancelled)
{
    EditorDone<TActionTask>(editor, cancelled, Ui_->ActionButton,
                            [this](const TActionTask& task) {
                                return "Action: " + task.ActionText(true, Document_.Project().Catalogues());
                            });
}

void TTaskForm::ConditionEditorDone(TTaskEditorForm* editor, bool cancelled)
{
    EditorDone<TConTask>(editor, cancelled, Ui_->ConButton,
                         [](const TConTask& task) { return "Condition: " + task.Caption; });
}

void TTaskForm::MessageEditorDone(TTaskEditorForm* editor, bool cancelled)
{
    EditorDone<TMessageTask>(editor, cancelled, Ui_->MessageButton,
                             [](const TMessageTask& task) { return "Message: " + LinesText(task.Lines); });
}

void TTaskForm::MenuEditorDone(TTaskEditorForm* editor, bool cancelled)
{
    EditorDone<TMenuTask>(editor, cancelled, Ui_->MenuButton,
                          [](const TMenuTask& task) { return "Menu: " + task.Caption; });
}

void TTaskForm::ManualEditorDone(TTaskEditorForm* editor, bool cancelled)
{
    EditorDone<TManualTask>(editor, cancelled, Ui_->ManualButton,
                            [](const TManualTask& task) { return "Manual: " + LinesText(task.Lines); });
}

void TTaskForm::CodeEditorDone(TTaskEditorForm* editor, bool cancelled)
{
    // A branch's caption says its place ("If" first, "Else if" after): an edited one has its
    // place, a new one takes the place the document gives it, by the selection.
    const TTaskNode* selected = Tree().Selected();
    bool first = !selected || selected->Row() == 0;
    if (editor && editor->EditMode())
        first = !editor->Task() || !editor->Task()->Node || editor->Task()->Node->Row() == 0;
    else if (selected && selected->Data() && selected->Data()->Kind() == TTaskKind::If)
        first = selected->ChildCount() == 0;
    const TProject& project = Document_.Project();
    EditorDone<TTask>(editor, cancelled, Ui_->StatementButton,
                      [&project, first](const TTask& task) { return TCodeTaskForm::SummaryOf(task, project, first); });
}

// ---- Buttons and the tree --------------------------------------------------------------------

void TTaskForm::EditButtonClick()
{
    TTask* task = SelectedTask();
    if (!task)
        return;
    switch (task->Kind()) {
    case TTaskKind::Group:
        StartRename(task->Node);
        break;
    case TTaskKind::Action:
        OpenActionEditor(static_cast<TActionTask*>(task));
        break;
    case TTaskKind::Condition:
        OpenConditionEditor(static_cast<TConTask*>(task));
        break;
    case TTaskKind::Message:
        OpenMessageEditor(static_cast<TMessageTask*>(task));
        break;
    case TTaskKind::Menu:
        OpenMenuEditor(static_cast<TMenuTask*>(task));
        break;
    case TTaskKind::Manual:
        OpenManualEditor(static_cast<TManualTask*>(task));
        break;
    default:
        // An if block has nothing of its own to edit but its caption.
        if (TCodeTaskForm::Edits(task->Kind()))
            OpenCodeEditor(task, task->Kind());
        else
            StartRename(task->Node);
        break;
    }
}

void TTaskForm::closeEvent(QCloseEvent* event)
{
    if (!Closing) {
        event->ignore();
        MinimizeChild(this);
        return;
    }
    event->accept();
    deleteLater();
}
