#pragma once
// The sprite browser: every sprite of the catalogue with its preview picture. It hands the chosen
// sprite back to its opener through OnDone and then destroys itself.

#include "catalogue/ServerData.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TNPCBrowserForm;
}

class TTextEncoding;

class TNPCBrowserForm : public QWidget {
    Q_OBJECT
public:
    using TDoneHandler = std::function<void(TNPCBrowserForm* browser, bool cancelled)>;

    // Lists the sprites of server's catalogue, which the browser holds while it is open, their
    // names read in encoding.
    TNPCBrowserForm(std::shared_ptr<const TServerData> server, const TTextEncoding& encoding,
                    QWidget* parent = nullptr);
    ~TNPCBrowserForm() override;

    // The sprite chosen: set by the opener before the browser is shown (its row is then
    // selected when it has one), and by Apply.
    const TNPCImg* SelectedImg() const { return SelectedImg_; }
    void SetSelectedImg(const TNPCImg* sprite);

    // Called once when the user ends the browser, just before it destroys itself.
    TDoneHandler OnDone;

protected:
    void closeEvent(QCloseEvent* event) override;
    // The chosen sprite is in view when the browser opens.
    void showEvent(QShowEvent* event) override;
    // Enter applies, Escape cancels, as in a dialog box.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate(const TTextEncoding& encoding);
    void ApplyButtonClick();
    void CancelButtonClick();
    void UpdateApplyButton();
    const TNPCImg* RowSprite(int row) const;
    void Finish(bool cancelled);

    std::shared_ptr<const TServerData> Server_;
    std::unique_ptr<Ui::TNPCBrowserForm> Ui_;
    const TNPCImg* SelectedImg_ = nullptr;
    bool Finished_ = false;
};
