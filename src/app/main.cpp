#include "app/MainFrame.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Number entry writes decimal commas; fixing Russian conventions makes typed data read back
    // on any machine.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    id::MainFrame frame;
    frame.resize(1100, 820);
    frame.showMaximized();
    return app.exec();
}
