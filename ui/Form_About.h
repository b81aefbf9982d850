#pragma once
// The About box: credits, the version and the folder the catalogues came from.

#include <QWidget>

#include <memory>

namespace Ui {
class TAboutForm;
}

class TAboutForm : public QWidget {
    Q_OBJECT
public:
    explicit TAboutForm(const QString& catalogueFolder = {}, QWidget* parent = nullptr);
    ~TAboutForm() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate(const QString& catalogueFolder);

    std::unique_ptr<Ui::TAboutForm> Ui_;
};

