#pragma once
// The play-test window: plays the project's NPC without a server. It shows the dialogue as the
// game client draws it (a light box, coloured text, Next and Close, the menu as a list, a field for
// typed input), the player panel, the effects of the run and its history, where picking an earlier
// point rewinds the run to it.
//
// A run is replayed from its start for every answer (the interpreter is a pure function of the
// answers, the player and the seed), so stepping, rewinding and following an edit of the project
// are all the same move: change the answers, play again.

#include "script/PlayTypes.h"

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QTextBrowser;
class TPlayerPanel;
class TProjectPlay;

class TProjectDocument;
class TTaskForm;

class TPlayTestForm : public QWidget {
    Q_OBJECT
public:
    // tasks: the task window of document, which marks the task that runs (nullptr: none).
    TPlayTestForm(TProjectDocument& document, TTaskForm* tasks, QWidget* parent = nullptr);
    ~TPlayTestForm() override;

    // Puts the window into the frame, owned by owner, at its first size.
    void Place(QObject* owner);

    // Plays the project as it is now from the start of the NPC, with no answers given yet, for
    // the player the user set: every value applied from the panel stays, whatever the run did.
    void Restart();
    // The same for a new character: the values the user set are dropped.
    void ResetPlayer();
    // The same from the label of the group selected in the task tree (or holding the selected
    // task); raises when nothing is selected.
    void PlayFromSelectedGroup();
    // The player's answers. Each raises when the run is not waiting for it.
    void PressNext();
    void PressClose();
    void Choose(int option);  // 1-based among the options shown; 0 cancels
    void EnterInput(const QString& text);
    // Back to the point where pause number `pause` waited (0: the first).
    void RewindTo(int pause);
    // The player panel's fields the user changed take effect: from the pause the run waits at, or
    // from the start before the first answer and once the run no longer waits. They are kept for
    // the runs Restart and a group's play begin.
    void ApplyPlayer();
    void SetSeed(std::uint32_t seed);

    const script::TRunResult& Result() const { return Result_; }
    const script::TPlaySetup& Setup() const { return Setup_; }

public slots:
    // The project changed: the run restarts on the new script with the same answers, as far as
    // they still apply (a menu choice its menu no longer has is taken back: the run waits there).
    void ProjectChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The menu's keys: Enter chooses the current option, 1 to 9 the option of that number.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildDialogue();
    QWidget* BuildSidePanel();
    void Start(const std::string& label);
    // The history's first line: "Start", or the group the run started at, "Start at Bye (L2)".
    QString StartText() const;
    void Replay();
    void TakeBackRefusedChoice();
    void ShowRun();
    void ShowDialogue();
    void FocusWaitingControl();
    void ShowEffects();
    void ShowHistory();
    void ShowStatus();
    void ShowPlayingLine();
    void ClearPlayingMarks();
    bool WaitingFor(script::TWaitKind kind, const char* what = nullptr) const;
    void Require(bool waiting, const char* answer) const;

    std::unique_ptr<TProjectPlay> Play_;
    script::TPlaySetup Setup_;
    script::TRunResult Result_;
    // The player the user set, which each new run starts with.
    script::TPlayerState KeptPlayer_;
    // What each edit made while the run was paused changed ("Zeny 0 → 500"), by its pause.
    std::map<int, QString> EditTexts_;
    bool DialogueClosed_ = false;  // the Close button of an ended dialogue was pressed

    QTextBrowser* Dialogue_ = nullptr;
    QListWidget* Menu_ = nullptr;
    QPushButton* CancelMenu_ = nullptr;  // the client's Cancel of a menu
    QLineEdit* Input_ = nullptr;
    QPushButton* InputButton_ = nullptr;
    QPushButton* Next_ = nullptr;
    QPushButton* Close_ = nullptr;
    QLabel* Status_ = nullptr;
    QSpinBox* Seed_ = nullptr;
    TPlayerPanel* Player_ = nullptr;
    QListWidget* Effects_ = nullptr;
    QListWidget* History_ = nullptr;
    TProjectDocument& Document_;
    QPointer<TTaskForm> Tasks_;
};
