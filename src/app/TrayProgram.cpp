#include "app/TrayProgram.h"

#include <QApplication>

int runTrayProgram(int &argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}
