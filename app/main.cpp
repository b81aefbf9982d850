// The editor: an empty frame until the windows arrive.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

#include "ui/ChildWindows.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow frame;
    auto* area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    SetChildHost(area);
    frame.setWindowTitle(QStringLiteral("Vask's NPC Editor (0.9 Alpha) - No File Open"));
    frame.showMaximized();
    return app.exec();
}
