#pragma once
// The Problems window: every error and warning of the current project, each with the task that
// causes it. A double click selects that task in the tree, and opens manual code at its line.

#include "check/Problems.h"

#include <QPointer>
#include <QWidget>

#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class TProjectDocument;
class TTaskForm;

// "1 error", "2 errors": a count and its noun (a regular plural) as a sentence reads them.
QString Counted(int count, const QString& noun);

class TProblemsForm : public QWidget {
    Q_OBJECT
public:
    // tasks: the task window of document, where a problem's task is shown (nullptr: none).
    TProblemsForm(TProjectDocument& document, TTaskForm* tasks, QWidget* parent = nullptr);

    // Puts the window into the frame, owned by owner, at a size where a message reads whole.
    void Place(QObject* owner);

    QTreeWidget* List() const { return List_; }
    // Goes to the task of the row-th finding.
    void Activate(int row);

public slots:
    // Checks the project again and shows what it found (when the window opens).
    void Refresh();
    // Shows what a check of the project found: the task tree window's, after every change.
    void ShowCheck(const TProjectCheck& check);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TEntry {
        TTaskGuard<const TTask> Task;
        int TaskLine = -1;
    };

    void Show(const TProjectCheck& check);
    // The task column as wide as its paths, but never more than a third of the list: a long path
    // is cut in its middle (its whole text in the tooltip) and the message and line stay in sight.
    void FitTaskColumn();

    QTreeWidget* List_ = nullptr;
    QLabel* Summary_ = nullptr;
    std::vector<TEntry> Entries_;
    TProjectDocument& Document_;
    QPointer<TTaskForm> Tasks_;
};
