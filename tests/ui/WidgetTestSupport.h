#pragma once
// Small helpers every window test uses: finding a control by name, clicking it, picking a list
// entry, and running the deletions that windows schedule for themselves.

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QObject>
#include <QStyle>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

namespace widgettest {

// Runs the deletions that windows scheduled for themselves.
inline void ProcessDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <class T = QWidget>
T* Child(const QObject* form, const char* name)
{
    T* child = form->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        ADD_FAILURE() << "no control " << name;
    return child;
}

inline void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Picks an entry the way the keyboard does: Home, then Down until it is reached.
inline void PickEntry(QComboBox* combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->currentIndex(), index);
}

inline void PickEntry(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    PickEntry(combo, index);
}

// Whether a field (a line edit, or the one inside a spin box) shows its whole text, with the
// margins its frame and caret need.
inline bool ShowsWholeText(const QWidget* field)
{
    const auto* edit = qobject_cast<const QLineEdit*>(field);
    if (!edit)
        edit = field->findChild<QLineEdit*>();
    return edit && edit->fontMetrics().horizontalAdvance(edit->text()) + 8 <= edit->width();
}

// Whether a button shows its whole caption (its '&' mark aside) within the margins of its style.
inline bool ShowsWholeCaption(const QAbstractButton* button)
{
    const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    return button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + margins <= button->width();
}

} // namespace widgettest
