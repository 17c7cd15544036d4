// uPVelmora-notice LINE...: shows the lines in a message box captioned
// "uPVelmora", as the program shows its start-up refusals.  The desktop
// menu's launcher uses it to say why it cannot start the program: started
// from a menu, nobody reads its standard error.  Without a display the lines
// go to standard error.  Exit status 0 once the box is closed.
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "gui/platform/fonts.h"

int main(int argc, char** argv)
{
    QStringList lines;
    for (int i = 1; i < argc; ++i) lines << QString::fromLocal8Bit(argv[i]);
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "%s\n", lines.join(QLatin1Char('\n')).toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("uPVelmora"));
    QApplication::setFont(uFCom_Bas::pGothicFont(9));
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), lines.join(QLatin1Char('\n')),
                    QMessageBox::Ok);
    box.exec();
    return 0;
}
