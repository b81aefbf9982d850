#include "Form_PlayTest.h"

#include "ChildWindows.h"
#include "WindowPlaces.h"
#include "Dialogs.h"
#include "Form_Editor.h"
#include "Form_Tasks.h"
#include "PlayerPanel.h"
#include "PlayTexts.h"
#include "platform/TextEncoding.h"

#include "document/Document.h"
#include "play/Play.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <stdexcept>

using script::TEvent;
using script::TEventKind;
using script::TWaitKind;

namespace {

constexpr int ClientWidth = 780;
constexpr int ClientHeight = 560;

// The client's message box: dark text on a pale parchment.
const QString DialogueStyle = QStringLiteral(
    "QTextBrowser { background: #fbf8ef; color: #000000; border: 1px solid #9a9a9a; border-radius: 6px; "
    "padding: 6px; font-size: 13px; }");

QPushButton* Button(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

TPlayTestForm::TPlayTestForm(TProjectDocument& document, TTaskForm* tasks, QWidget* parent)
    : QWidget(parent), Document_(document), Tasks_(tasks)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Play Test"));
    BuildControls();
    // Escape closes the window, whichever of its controls has the focus, as it closes a dialog.
    auto* close = new QAction(this);
    close->setShortcut(Qt::Key_Escape);
    close->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(close);
    connect(close, &QAction::triggered, this, [this] { ChildFrame(this)->close(); });
    // Every change of the project restarts the run on the new script.
    connect(&Document_, &TProjectDocument::Changed, this, [this](const TProjectChange& change) {
        if (change.ChangesScript())
            ProjectChanged();
    });
}

TPlayTestForm::~TPlayTestForm()
{
    ClearPlayingMarks();
}

void TPlayTestForm::BuildControls()
{
    auto* columns = new QHBoxLayout(this);
    columns->addWidget(BuildDialogue(), 3);
    columns->addWidget(BuildSidePanel(), 2);
}

QWidget* TPlayTestForm::BuildDialogue()
{
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    Dialogue_ = new QTextBrowser(column);
    Dialogue_->setObjectName(QStringLiteral("DialogueText"));
    Dialogue_->setStyleSheet(DialogueStyle);
    layout->addWidget(Dialogue_, 3);

    Menu_ = new QListWidget(column);
    Menu_->setObjectName(QStringLiteral("MenuList"));
    layout->addWidget(Menu_, 2);
    connect(Menu_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Guarded(this, [&] { Choose(Menu_->row(item) + 1); }); });
    Menu_->installEventFilter(this);

    auto* inputRow = new QHBoxLayout;
    Input_ = new QLineEdit(column);
    Input_->setObjectName(QStringLiteral("InputField"));
    InputButton_ = Button(column, "InputButton", QStringLiteral("OK"));
    inputRow->addWidget(Input_, 1);
    inputRow->addWidget(InputButton_);
    layout->addLayout(inputRow);
    const auto enter = [this] { Guarded(this, [this] { EnterInput(Input_->text()); }); };
    connect(InputButton_, &QPushButton::clicked, this, enter);
    connect(Input_, &QLineEdit::returnPressed, this, enter);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    CancelMenu_ = Button(column, "CancelMenuButton", QStringLiteral("Cancel"));
    buttons->addWidget(CancelMenu_);
    connect(CancelMenu_, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Choose(0); }); });
    Next_ = Button(column, "NextButton", QStringLiteral("Next"));
    Close_ = Button(column, "CloseButton", QStringLiteral("Close"));
    buttons->addWidget(Next_);
    buttons->addWidget(Close_);
    layout->addLayout(buttons);
    connect(Next_, &QPushButton::clicked, this, [this] { Guarded(this, [this] { PressNext(); }); });
    connect(Close_, &QPushButton::clicked, this, [this] { Guarded(this, [this] { PressClose(); }); });

    auto* controls = new QHBoxLayout;
    auto* restart = Button(column, "RestartButton", QStringLiteral("Restart"));
    auto* fromGroup = Button(column, "PlayGroupButton", QStringLiteral("Play from the selected group"));
    Seed_ = new QSpinBox(column);
    Seed_->setObjectName(QStringLiteral("SeedField"));
    Seed_->setRange(0, INT_MAX);
    Seed_->setToolTip(QStringLiteral("The seed of rand: the same seed and answers play the same run"));
    controls->addWidget(restart);
    controls->addWidget(fromGroup);
    controls->addStretch(1);
    controls->addWidget(new QLabel(QStringLiteral("Seed"), column));
    controls->addWidget(Seed_);
    layout->addLayout(controls);
    connect(restart, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Restart(); }); });
    connect(fromGroup, &QPushButton::clicked, this, [this] { Guarded(this, [this] { PlayFromSelectedGroup(); }); });
    connect(Seed_, &QSpinBox::editingFinished, this,
            [this] { Guarded(this, [this] { SetSeed(static_cast<std::uint32_t>(Seed_->value())); }); });

    Status_ = new QLabel(column);
    Status_->setObjectName(QStringLiteral("StatusLabel"));
    Status_->setWordWrap(true);
    layout->addWidget(Status_);
    return column;
}

QWidget* TPlayTestForm::BuildSidePanel()
{
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    Player_ = new TPlayerPanel(Document_.Encoding(), column);
    Player_->setObjectName(QStringLiteral("PlayerPanel"));
    layout->addWidget(Player_);
    connect(Player_, &TPlayerPanel::ApplyRequested, this, [this] { Guarded(this, [this] { ApplyPlayer(); }); });
    connect(Player_, &TPlayerPanel::ResetRequested, this, [this] { Guarded(this, [this] { ResetPlayer(); }); });

    layout->addWidget(new QLabel(QStringLiteral("Effects"), column));
    Effects_ = new QListWidget(column);
    Effects_->setObjectName(QStringLiteral("EffectLog"));
    layout->addWidget(Effects_, 1);
    layout->addWidget(new QLabel(QStringLiteral("History (pick a point to go back to it)"), column));
    History_ = new QListWidget(column);
    History_->setObjectName(QStringLiteral("HistoryList"));
    layout->addWidget(History_, 1);
    connect(History_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Guarded(this, [&] { RewindTo(History_->row(item)); }); });
    return column;
}

void TPlayTestForm::Place(QObject* owner)
{
    QWidget* frame = ShowChildWindow(this, owner);
    frame->setWindowTitle(windowTitle());
    SetClientSize(this, ClientWidth, ClientHeight);
    RememberPlace(this);
    BringToFront(this);
}

// ---- The run -----------------------------------------------------------------------------------

void TPlayTestForm::Restart()
{
    Start({});
}

void TPlayTestForm::ResetPlayer()
{
    KeptPlayer_ = {};
    Restart();
}

void TPlayTestForm::Start(const std::string& label)
{
    Play_ = std::make_unique<TProjectPlay>(Document_.Project());
    Setup_ = {};
    Setup_.Player = KeptPlayer_;
    Setup_.Seed = static_cast<std::uint32_t>(Seed_->value());
    Setup_.Presses = 0;
    Setup_.StartLabel = label;
    Replay();
}

void TPlayTestForm::PlayFromSelectedGroup()
{
    const TTaskNode* node = Document_.Project().TaskTree.Selected();
    while (node && !(node->Data() && node->Data()->Kind() == TTaskKind::Group))
        node = node->Parent();
    if (!node)
        throw std::invalid_argument("Select a group in the task tree first: the play starts at its label.");
    const auto* group = static_cast<const TGroupTask*>(node->Data());
    // An imported NPC's start writes no label: a click starts there.
    if (group->NoLabel && !node->Parent())
        return Start({});
    if (group->NoLabel)
        throw std::invalid_argument("The group " + group->Caption + " writes no label: the play cannot start there.");
    Start(group->Label());
}

void TPlayTestForm::Replay()
{
    if (!Play_)
        Play_ = std::make_unique<TProjectPlay>(Document_.Project());
    Result_ = Play_->Play(Setup_);
    DialogueClosed_ = false;
    ShowRun();
}

void TPlayTestForm::ProjectChanged()
{
    Guarded(this, [this] {
        Play_ = std::make_unique<TProjectPlay>(Document_.Project());
        Result_ = Play_->Play(Setup_);
        TakeBackRefusedChoice();
        DialogueClosed_ = false;
        ShowRun();
    });
}

// A menu that lost options since the choice was made refuses it (a fault right after the choice):
// the run goes back to wait at that menu instead.
void TPlayTestForm::TakeBackRefusedChoice()
{
    const auto& events = Result_.Events;
    for (std::size_t i = 1; i < events.size(); ++i) {
        if (events[i].Kind == TEventKind::Fault && events[i - 1].Kind == TEventKind::Choose) {
            Setup_ = script::SetupAtPause(Setup_, Result_, events[i - 1].Pause);
            Result_ = Play_->Play(Setup_);
            return;
        }
    }
}

bool TPlayTestForm::WaitingFor(TWaitKind kind, const char* what) const
{
    if (Result_.Outcome != script::TOutcome::Waiting || Result_.WaitingFor != kind)
        return false;
    return !what || (!Result_.Events.empty() && Result_.Events.back().Name == what);
}

void TPlayTestForm::Require(bool waiting, const char* answer) const
{
    if (!waiting)
        throw std::logic_error(std::string("The NPC is not waiting for ") + answer + ".");
}

void TPlayTestForm::PressNext()
{
    Require(WaitingFor(TWaitKind::Next, "next"), "the Next button");
    Setup_.Presses = Setup_.Presses.value_or(0) + 1;
    Replay();
}

void TPlayTestForm::PressClose()
{
    if (WaitingFor(TWaitKind::Next, "close")) {
        Setup_.Presses = Setup_.Presses.value_or(0) + 1;
        Replay();
        return;
    }
    Require(Result_.Outcome == script::TOutcome::Ended && !DialogueClosed_, "the Close button");
    DialogueClosed_ = true;
    ShowRun();
}

void TPlayTestForm::Choose(int option)
{
    Require(WaitingFor(TWaitKind::Menu), "a menu choice");
    Setup_.Choices.push_back(option);
    Replay();
}

void TPlayTestForm::EnterInput(const QString& text)
{
    Require(WaitingFor(TWaitKind::Input), "typed input");
    Setup_.Inputs.push_back(Document_.Encoding().FromQ(text));
    Input_->clear();
    Replay();
}

void TPlayTestForm::RewindTo(int pause)
{
    if (pause < 0 || pause > Result_.Pauses)
        throw std::out_of_range("The run has no point " + std::to_string(pause) + ".");
    Setup_ = script::SetupAtPause(Setup_, Result_, pause);
    Replay();
}

// Only the fields the user changed are taken: the others keep what the run made of them, and the
// player of later runs gets the same changes.
void TPlayTestForm::ApplyPlayer()
{
    const std::vector<TPlayerChange> changes = PlayerChanges(Result_.Player, Player_->EditedPlayer(Result_.Player));
    KeptPlayer_ = WithChanges(KeptPlayer_, changes);
    // Before the first answer the change is the player the run starts with.
    if (Result_.Outcome != script::TOutcome::Waiting || Result_.Pauses == 0) {
        Setup_.Player = WithChanges(Setup_.Player, changes);
        Replay();
        return;
    }
    if (changes.empty())
        return;
    const int pause = Result_.Pauses;
    QStringList texts;
    for (const TPlayerChange& change : changes)
        texts << QStringLiteral("%1 %2 \u2192 %3").arg(Document_.Encoding().ToQ(change.Name)).arg(change.From).arg(change.To);
    EditTexts_[pause] = texts.join(QStringLiteral(", "));
    std::erase_if(Setup_.Edits, [pause](const script::TPlayerEdit& e) { return e.Pause >= pause; });
    Setup_.Edits.push_back({pause, WithChanges(Result_.Player, changes)});
    Replay();
}

void TPlayTestForm::SetSeed(std::uint32_t seed)
{
    Seed_->setValue(static_cast<int>(std::min<std::uint32_t>(seed, INT_MAX)));
    if (Setup_.Seed == seed)
        return;
    Setup_.Seed = seed;
    Replay();
}

// ---- What the window shows ---------------------------------------------------------------------

void TPlayTestForm::ShowRun()
{
    ShowDialogue();
    ShowEffects();
    ShowHistory();
    ShowStatus();
    Player_->ShowPlayer(Result_.Player);
    ShowPlayingLine();
}

void TPlayTestForm::ShowDialogue()
{
    std::vector<std::string> lines;
    bool closing = false;  // the dialogue's last button is an ending Close
    for (const TEvent& e : Result_.Events) {
        if (e.Kind == TEventKind::Mes) {
            lines.push_back(e.Text);
            closing = false;
        } else if (e.Kind == TEventKind::Next || (e.Kind == TEventKind::Close && e.Pause >= 0)) {
            lines.clear();  // the client clears the box when a button is pressed
        } else if (e.Kind == TEventKind::Close) {
            closing = true;
        }
    }
    if (DialogueClosed_)
        lines.clear();
    QStringList html;
    for (const std::string& line : lines)
        html << MessageHtml(line, Document_.Encoding());
    Dialogue_->setHtml(html.join(QStringLiteral("<br>")));

    const bool menu = WaitingFor(TWaitKind::Menu);
    Menu_->clear();
    for (const std::string& option : Result_.Options)
        Menu_->addItem(PlainOption(option, Document_.Encoding()));
    Menu_->setVisible(menu);
    CancelMenu_->setVisible(menu);
    const bool input = WaitingFor(TWaitKind::Input);
    Input_->setVisible(input);
    InputButton_->setVisible(input);
    Next_->setVisible(WaitingFor(TWaitKind::Next, "next"));
    Close_->setVisible(WaitingFor(TWaitKind::Next, "close") ||
                       (closing && Result_.Outcome == script::TOutcome::Ended && !DialogueClosed_));
    FocusWaitingControl();
}

// The control the run waits on takes the focus, so that the whole dialogue plays from the
// keyboard; without this the focus falls to the next visible button (Restart) once Next hides.
// A window in the background leaves the focus where the user is.
void TPlayTestForm::FocusWaitingControl()
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus && !isAncestorOf(focus))
        return;
    QWidget* target = nullptr;
    if (Menu_->isVisibleTo(this)) {
        if (Menu_->currentRow() < 0 && Menu_->count() > 0)
            Menu_->setCurrentRow(0);
        target = Menu_;
    } else if (Input_->isVisibleTo(this)) {
        target = Input_;
    } else if (Next_->isVisibleTo(this)) {
        target = Next_;
    } else if (Close_->isVisibleTo(this)) {
        target = Close_;
    }
    if (target)
        target->setFocus(Qt::OtherFocusReason);
}

bool TPlayTestForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Menu_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    int option = 0;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        option = Menu_->currentRow() + 1;
    else if (key->key() >= Qt::Key_1 && key->key() <= Qt::Key_9)
        option = key->key() - Qt::Key_0;
    if (option < 1 || option > Menu_->count())
        return false;
    Guarded(this, [this, option] { Choose(option); });
    return true;
}

void TPlayTestForm::ShowEffects()
{
    Effects_->clear();
    for (const TEvent& e : Result_.Events) {
        const auto edit = EditTexts_.find(e.Pause);
        const QString text = e.Kind != TEventKind::Edit ? EffectText(e, Document_.Encoding())
                             : edit == EditTexts_.end() ? QStringLiteral("the player was changed")
                                                        : QStringLiteral("the player was changed: ") + edit->second;
        if (text.isEmpty())
            continue;
        auto* item = new QListWidgetItem(text, Effects_);
        if (const QString why = ApproximateWhy(e); !why.isEmpty()) {
            // Beside the effect, so that what the server would do differently is seen where it is.
            item->setText(text + QStringLiteral("  [not simulated]"));
            item->setToolTip(why);
            item->setForeground(Effects_->palette().color(QPalette::Disabled, QPalette::Text));
        }
    }
    Effects_->scrollToBottom();
}

QString TPlayTestForm::StartText() const
{
    if (Setup_.StartLabel.empty())
        return QStringLiteral("Start");
    // The group by the name the user gave it; its label is what the script calls it.
    for (const TTaskNode* node : Document_.Project().TaskTree.Nodes()) {
        const auto* group = dynamic_cast<const TGroupTask*>(node->Data());
        if (group && group->Label() == Setup_.StartLabel)
            return QStringLiteral("Start at %1 (%2)").arg(Document_.Encoding().ToQ(group->Caption), Document_.Encoding().ToQ(Setup_.StartLabel));
    }
    return QStringLiteral("Start at %1").arg(Document_.Encoding().ToQ(Setup_.StartLabel));
}

void TPlayTestForm::ShowHistory()
{
    History_->clear();
    History_->addItem(StartText());
    std::vector<std::string> menu;
    for (const TEvent& e : Result_.Events) {
        if (e.Kind == TEventKind::Menu)
            menu = e.Values;
        if (const QString text = AnswerText(e, menu, Document_.Encoding()); !text.isEmpty())
            History_->addItem(text);
    }
    History_->setCurrentRow(History_->count() - 1);
}

void TPlayTestForm::ShowStatus()
{
    QString status;
    switch (Result_.Outcome) {
    case script::TOutcome::Ended: status = QStringLiteral("The NPC has ended."); break;
    case script::TOutcome::Faulted: status = QStringLiteral("A fault stopped the NPC."); break;
    case script::TOutcome::Waiting:
        status = Result_.WaitingFor == TWaitKind::Menu    ? QStringLiteral("Waiting for a menu choice.")
                 : Result_.WaitingFor == TWaitKind::Input ? QStringLiteral("Waiting for typed input.")
                                                          : QStringLiteral("Waiting for the button.");
        break;
    }
    if (Result_.HasFault() && Result_.Outcome != script::TOutcome::Faulted)
        status += QStringLiteral(" The run reported a fault (see the effects).");
    if (Result_.Approximate)
        status += QStringLiteral(" Approximate: some commands were not simulated.");
    if (Play_)
        for (const std::string& problem : Play_->Problems())
            status += u' ' + Document_.Encoding().ToQ(problem);
    Status_->setText(status);
}

// The line the run stopped at: where it waits, else the last statement that did something.
void TPlayTestForm::ShowPlayingLine()
{
    int line = 0;
    for (auto it = Result_.Events.rbegin(); it != Result_.Events.rend() && line == 0; ++it)
        line = it->Line();
    TTaskForm* tasks = Tasks_;
    if (tasks && tasks->Output())
        tasks->Output()->ShowPlayingLine(line);
    if (tasks && Play_)
        tasks->ShowPlayingTask(Play_->TaskAtLine(line));
}

void TPlayTestForm::ClearPlayingMarks()
{
    TTaskForm* tasks = Tasks_;
    if (tasks && tasks->Output())
        tasks->Output()->ShowPlayingLine(0);
    if (tasks)
        tasks->ShowPlayingTask(nullptr);
}

void TPlayTestForm::closeEvent(QCloseEvent* event)
{
    ClearPlayingMarks();
    event->accept();
}
