// Entry point of the window tests: one application object for the whole program, then GoogleTest.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "DocumentSupport.h"

namespace {

// Every test starts from no remembered settings (window places, presets, the encoding), whatever
// the tests before it left behind.
class TFreshSettings final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { QSettings().clear(); }
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
    return RUN_ALL_TESTS();
}
