// Entry point of the model tests. The model uses Qt's image and file classes, which want an
// application object; no window is ever shown.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include "DocumentSupport.h"

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    RenewDocumentForEachTest();
    return RUN_ALL_TESTS();
}
