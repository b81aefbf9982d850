#pragma once
// The header window: edits a copy of its project's header in its controls, filled when it is created
// and again when the project is replaced,
// and writes all six texts and the target server back only on Apply.

#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class THeaderForm;
}
class TTextEncoding;
class TProjectDocument;
class QLineEdit;

class THeaderForm : public QWidget {
    Q_OBJECT
public:
    explicit THeaderForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~THeaderForm() override;

    // The longest text that can be typed into each of the five fields.
    static constexpr int FieldLimit = 58;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void ApplyButtonClick();
    void CancelButtonClick();
    void TargetComboChange();
    void SetField(QLineEdit* edit, const std::string& text);

    TProjectDocument& Document_;
    std::unique_ptr<Ui::THeaderForm> Ui_;
};


// The comments as the control shows them (line breaks of any kind become one line break each),
// and back as the header stores them: every line followed by CR LF; no lines, no text.
QString CommentsToEditText(const std::string& comments, const TTextEncoding& encoding);
std::string EditTextToComments(const QString& text, const TTextEncoding& encoding);
