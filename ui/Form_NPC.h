#pragma once
// The NPC information window: every change the user makes to a value is handed to the project
// document at once; the program's own refills (ShowNPC) are not changes of the user's. It shows
// the record again whenever the document reports it changed (a new or loaded project).

class TCatalogues;
class TServerData;
struct TProjectChange;
struct TNPC;
class TProjectDocument;

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace Ui {
class TNPCForm;
}
class TNPCBrowserForm;

class TNPCForm : public QWidget {
    Q_OBJECT
public:
    explicit TNPCForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TNPCForm() override;

    // Copies the project's NPC record into the controls; stores nothing.
    void ShowNPC();
    // Frames the window as a fixed-size child window of owner's frame, at its top left corner.
    void Place(QObject* owner);

    // Set while ShowNPC fills the controls, so that their change notifications store nothing. Each
    // window has its own: a script file's NPC window refilling does not mute the main window's.
    bool Updating() const { return Updating_; }

    // The sprite browser opened by "Browse", while it is open.
    TNPCBrowserForm* Browser() const;

protected:
    // The window lives as long as the program: closing it only minimises it.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    const TCatalogues& Catalogues() const;
    void ShowSpriteName(std::int32_t id);
    void ShowDirection(int direction);
    void FillMaps();
    void ShowMap(const TNPC& npc);
    void ShowTouch(const TNPC& npc);
    enum class TNPCField { Sprite, X, Y, Direction, Map, Name, TouchX, TouchY };
    void NPCChange(TNPCField field);
    void ProjectChanged(const TProjectChange& change);
    void IDEditExit();
    void BrowseButtonClick();
    void BrowseDone(TNPCBrowserForm* browser, bool cancelled);

    TProjectDocument& Document_;
    std::unique_ptr<Ui::TNPCForm> Ui_;
    QPointer<TNPCBrowserForm> Browser_;
    bool Storing_ = false;
    bool Updating_ = false;
    const TServerData* MapsServer_ = nullptr;  // the server whose maps the map list holds
};

