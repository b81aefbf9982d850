#pragma once
// The output window: the generated script, read-only, coloured by the highlighter. At most one
// exists; the task tree window creates it on demand and fills it (ShowOutput). Closing it destroys
// it, and the next ShowOutput makes a new one.

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TEditorForm;
}
class TProjectDocument;
class TScriptMemo;
class QPlainTextEdit;

class TEditorForm : public QWidget {
    Q_OBJECT
public:
    // Shows the scripts of document's project.
    explicit TEditorForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TEditorForm() override;

    // Puts the window into the frame, owned by owner, at its first size.
    void Place(QObject* owner);
    // Replaces the whole text with lines and colours it, repainting once.
    void ShowScript(std::vector<std::string> lines);
    // The lines of memo's last write; when this window shows those of its write before, only the
    // lines that write changed are compared and copied.
    void ShowScript(const TScriptMemo& memo);
    // Shows every line again from its bytes: after the script text encoding changed, lines whose
    // bytes did not change must be read anew too, or the window mixes two encodings.
    void ShowScriptAgain();
    // The lines shown, exactly as the script writer made them.
    const std::vector<std::string>& ScriptLines() const { return Lines_; }
    QPlainTextEdit* Editor() const;
    // Marks the script line (from 1) a play-test is running at and scrolls to it; 0: none.
    void ShowPlayingLine(int line);
    int PlayingLine() const { return PlayingLine_; }
    // Closed by the user: it goes once control is back in the event loop, and the next
    // ShowOutput makes a new one.
    bool Closed() const { return Closed_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void ShowLines(std::vector<std::string> lines);

    TProjectDocument& Document_;
    std::unique_ptr<Ui::TEditorForm> Ui_;

    std::vector<std::string> Lines_;
    // The memo whose write Lines_ are, and that write's number; nullptr: lines from elsewhere.
    const TScriptMemo* ShownMemo_ = nullptr;
    std::uint64_t ShownWrite_ = 0;
    int PlayingLine_ = 0;
    bool Closed_ = false;
};
