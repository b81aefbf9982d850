#pragma once
// The NPC information window: every change the user makes to a value is handed to the project
// document at once; the program's own refills (ShowNPC) are not changes of the user's. It shows
// the record again whenever the document reports it changed (a new or loaded project).

struct TProjectChange;

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class TNPCForm;
}
class TNPCBrowserForm;

class TNPCForm : public QWidget {
    Q_OBJECT
public:
    explicit TNPCForm(QWidget* parent = nullptr);
    ~TNPCForm() override;

    // Copies NPCInfo into the controls; stores nothing and leaves Modified alone.
    void ShowNPC();
    // Default NPC record, then ShowNPC.
    void ResetNPC();
    // Frames the window as a fixed-size child window of the frame, at its top left corner.
    void Place();

    // The sprite browser opened by "Browse", while it is open.
    TNPCBrowserForm* Browser() const;

protected:
    // The window lives as long as the program: closing it only minimises it.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void SetSpriteRange();
    void NPCChange();
    void ProjectChanged(const TProjectChange& change);
    void IDEditExit();
    void BrowseButtonClick();
    void BrowseDone(TNPCBrowserForm* browser, bool cancelled);

    std::unique_ptr<Ui::TNPCForm> Ui_;
    QPointer<TNPCBrowserForm> Browser_;
    bool Storing_ = false;
};

extern TNPCForm* NPCForm;
// Set while ShowNPC fills the controls, so that their change notifications store nothing.
extern bool NPCUpdating;
