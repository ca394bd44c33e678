// The yardstick of the start-up benchmark: the least a Qt Widgets program
// does to show one empty window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(556, 423);  // the main window's client area, 8340 x 6345 twips
    window.show();
    return app.exec();
}
