#pragma once
// The start-up window: while it shows, it loads the four catalogues, then shows the main window.
// It goes away by itself four seconds after it was created.

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <filesystem>
#include <memory>

namespace Ui {
class TSplashForm;
}
class QTimer;
class TCatalogues;

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    // The catalogues are read from dataDir (empty means the working directory) into catalogues,
    // which the start-up hands on, read-only, once they are read. frame is the window shown then.
    TSplashForm(std::filesystem::path dataDir, std::shared_ptr<TCatalogues> catalogues, QWidget* frame = nullptr);
    ~TSplashForm() override;

    // The loading sequence; runs once per program run, whichever activation comes first.
    void FormActivate();
    // Shows text at once, before the long step that follows it.
    void ShowStatus(const QString& text);

    // One line per catalogue that could not be read ("<file>: <reason>"); the other catalogues
    // were loaded all the same.
    const QStringList& LoadErrors() const { return LoadErrors_; }

    static constexpr int Lifetime = 4000;  // ms

protected:
    bool event(QEvent* event) override;

private:
    template <class F>
    void RunLoader(const QString& status, F&& loader);
    void TheTimerTimer();
    void WaitUntilExposed();

    std::unique_ptr<Ui::TSplashForm> Ui_;
    QTimer* TheTimer;
    std::filesystem::path DataDir_;
    std::shared_ptr<TCatalogues> Catalogues_;
    QStringList LoadErrors_;
    QPointer<QWidget> Frame_;
    bool Loaded_ = false;  // set when the loading sequence starts, so that it runs once
};


// The splash picture, drawn by the program itself.
QPixmap SplashPicture(int width, int height);
