// The editor. It reads its catalogues and its help file from the working directory.
#include <QApplication>

#include "ui/Form_Main.h"
#include "ui/Form_Splash.h"
#include "ui/QtText.h"
#include "ui/Startup.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vask"));
    QCoreApplication::setApplicationName(QStringLiteral("NPC Editor"));
    LoadScriptEncoding();
    InitModel();
    StartEditor();
    const int result = app.exec();
    delete SplashForm;  // still there when the program ends within its first seconds
    delete MainForm;
    return result;
}
