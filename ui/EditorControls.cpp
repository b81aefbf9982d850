#include "EditorControls.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPalette>

bool HandleDialogKey(QKeyEvent* event, QAbstractButton* defaultButton, QAbstractButton* cancelButton)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    QAbstractButton* button = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        button = defaultButton;
    else if (event->key() == Qt::Key_Escape)
        button = cancelButton;
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

void KeepSelectionVisible(QWidget* control)
{
    QPalette palette = control->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    control->setPalette(palette);
}
