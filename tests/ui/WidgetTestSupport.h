#pragma once
// Small helpers every window test uses: finding a control by name, clicking it, and running the
// deletions that windows schedule for themselves.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
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

} // namespace widgettest
