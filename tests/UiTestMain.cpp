// Entry point of the window tests: one application object for the whole program, then GoogleTest.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

#include "DocumentSupport.h"

namespace {

// Every test starts from no remembered settings (window places, presets, the encoding), whatever
// the tests before it left behind.
class TFreshSettings final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { QSettings().clear(); }
};

// Every test ends with none of its windows left: the tests share one process, so a window one test
// left behind would be seen by the next (its document, its dialogs, the open windows it counts).
// What is left fails the test that left it, and is deleted so the next test starts without it.
class TNoWindowLeft final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // One window's end may take others with it: each is looked at only while it still lives.
        std::vector<QPointer<QWidget>> windows;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->parentWidget())
                windows.emplace_back(window);
        }
        for (const QPointer<QWidget>& window : windows) {
            if (!window)
                continue;
            ADD_FAILURE() << "the test left a window open: " << window->metaObject()->className() << " \""
                          << window->objectName().toStdString() << "\"";
            delete window.data();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                   : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // Settings the windows remember go to a folder of this run, never to the user's own.
    const QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    // Data folders (recovery copies among them) resolve to test folders, never to the user's own.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    RenewDocumentForEachTest();
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshSettings);
    // Appended last, so it runs first as a test ends: windows go before their document does.
    ::testing::UnitTest::GetInstance()->listeners().Append(new TNoWindowLeft);
    return RUN_ALL_TESTS();
}
