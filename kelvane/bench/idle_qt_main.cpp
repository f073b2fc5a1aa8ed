// The yardstick for Kelvane's own cost: a Qt program with a display connection and nothing to
// do. Kelvane's lock loop is measured as the processor time it takes beyond this one's.

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return application.exec();
}
