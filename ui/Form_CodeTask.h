#pragma once
// The editor of the tasks that stand for script statements: a server command, setting a
// variable, a call, a bare statement, a loop, a switch and its cases, an if block's branches; and
// a group's label name. One window serves every one of these kinds, showing the fields of the
// kind it edits; each expression field is checked by the script reader as it is typed.

#include "TaskEditor.h"

#include "script/SyntaxTree.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TExpressionField;

class TCodeTaskForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TCodeTaskForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TCodeTaskForm() override;

    // New mode: the kind of task Apply makes. Call before LoadTask(nullptr).
    void SetKind(TTaskKind kind);
    TTaskKind EditedKind() const { return Kind_; }
    // Edit mode takes the kind from task.
    void LoadTask(TTask* task) override;

    // What the tree shows for a task of these kinds that its user has not named; a branch's
    // caption says whether it is the first of its block, a call names its group's label in groups.
    static std::string SummaryOf(const TTask& task, const TProject& project, bool firstBranch = true);
    // Whether this editor edits tasks of kind (If blocks have nothing to edit: none).
    static bool Edits(TTaskKind kind);

protected:
    bool ReadyToApply() const override;
    std::unique_ptr<TTask> NewTask() const override;
    void Store(TTask& task) const override;
    void GroupsChanged() override;

private:
    void BuildFields();
    QLineEdit* AddLine(const QString& label, const QString& name);
    // A line checked as an expression (or, with statement, as one statement).
    QLineEdit* AddChecked(const QString& label, const QString& name, bool emptyAllowed, bool statement = false);
    QComboBox* AddCombo(const QString& label, const QString& name, const QStringList& items);
    QPlainTextEdit* AddArgs();
    void UpdateControls();

    void Load(const TTask& task);
    void LoadLoop(const TTask& task);
    void LoadCall(const TTask& task);
    void CheckNames() const;
    void CheckArgs() const;
    std::vector<script::TDiagnostic> CommandFindings() const;
    void CheckCommand() const;
    void ShowCommandStatus();
    std::vector<std::string> Args() const;

    TTaskKind Kind_ = TTaskKind::Command;
    QFormLayout* Fields_ = nullptr;
    QLabel* Message_ = nullptr;
    QPushButton* ApplyButton_ = nullptr;
    QPushButton* CancelButton_ = nullptr;
    // The checked fields with the labels their problems are reported under.
    std::vector<std::pair<QString, TExpressionField*>> Checked_;
    // The kind's fields; those it has not are nullptr.
    QLineEdit* CommandEdit_ = nullptr;
    QPlainTextEdit* ArgsEdit_ = nullptr;
    QComboBox* ScopeCombo_ = nullptr;
    QLineEdit* NameEdit_ = nullptr;
    QLineEdit* IndexEdit_ = nullptr;
    QLineEdit* ValueEdit_ = nullptr;
    QComboBox* CallKindCombo_ = nullptr;
    QComboBox* GroupCombo_ = nullptr;
    QComboBox* StatementCombo_ = nullptr;
    QComboBox* LoopKindCombo_ = nullptr;
    QLineEdit* InitEdit_ = nullptr;
    QLineEdit* ConditionEdit_ = nullptr;
    QLineEdit* StepEdit_ = nullptr;
    QCheckBox* DefaultCheck_ = nullptr;
    QLabel* PatternLabel_ = nullptr;  // what the server's table says of the command's arguments
    // A branch's condition as loaded: Apply keeps the checks themselves while it is unchanged.
    QString LoadedCondition_;
};
