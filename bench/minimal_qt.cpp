// The yardstick of the start-up benchmark: the least a Qt Widgets program
// does to show one empty window. With --label the window shows one line of
// text as well, which is what brings in the font machinery (fontconfig and
// FreeType) that any window with text pays for at start.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(556, 423);  // the main window's client area, 8340 x 6345 twips
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0) {
        auto* label = new QLabel(QStringLiteral("..."), &window);
        label->setGeometry(8, 352, 545, 49);
    }
    window.show();
    return app.exec();
}
