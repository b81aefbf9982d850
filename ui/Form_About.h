#pragma once
// The About box: credits and the version.

#include <QWidget>

#include <memory>

namespace Ui {
class TAboutForm;
}

class TAboutForm : public QWidget {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
    ~TAboutForm() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();

    std::unique_ptr<Ui::TAboutForm> Ui_;
};

extern TAboutForm* AboutForm;
