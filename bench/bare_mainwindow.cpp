// The baseline of the start-up benchmark: a bare Qt program that shows one
// empty QMainWindow with the caption given on its command line.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(argc > 1 ? QString::fromUtf8(argv[1]) : QStringLiteral("bare"));
    window.show();
    return app.exec();
}
