// uPVelmora-start: the Start menu's way into ｳﾞｪﾙﾓﾗ on Windows.  The program
// reads uPVelmora.conf from the folder it is started in and never creates
// it; this starts it in %APPDATA%\uPVelmora and, when that folder holds no
// uPVelmora.conf yet, puts the starter file installed beside it
// (uPVelmora.conf.example, a name the program never opens) there first.
// An existing file is never touched.  When the folder or the file cannot be
// made, a box says why and the status is 1.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

#include "gui/platform/fonts.h"

namespace {

int refuse(int& argc, char** argv, const QString& folder, const QString& why)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("uPVelmora"));
    QApplication::setFont(uFCom_Bas::pGothicFont(9));
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                    QStringLiteral("ｳﾞｪﾙﾓﾗ の作業ﾌｫﾙﾀﾞを用意できません。\n") + QDir::toNativeSeparators(folder) +
                        QStringLiteral("\n") + why,
                    QMessageBox::Ok);
    box.exec();
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    // The folder of this program, without an application object (none is
    // made unless a box has to be shown).
    const QString here = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
    const QString appData = qEnvironmentVariable("APPDATA");
    if (appData.isEmpty())
        return refuse(argc, argv, QStringLiteral("%APPDATA%\\uPVelmora"), QStringLiteral("APPDATA is not set"));
    const QString folder = QDir(appData).filePath(QStringLiteral("uPVelmora"));
    if (!QDir().mkpath(folder)) return refuse(argc, argv, folder, QStringLiteral("the folder cannot be created"));
    const QString conf = QDir(folder).filePath(QStringLiteral("uPVelmora.conf"));
    if (!QFileInfo::exists(conf)) {
        // Copied under a name of its own, then renamed, which never replaces
        // a file: a copy cut short leaves no partial configuration file.
        const QString starter = QDir(here).filePath(QStringLiteral("uPVelmora.conf.example"));
        const QString part = conf + QStringLiteral(".new");
        QFile::remove(part);
        if (!QFile::copy(starter, part))
            return refuse(
                argc, argv, folder,
                QStringLiteral("the starter file cannot be copied from ") + QDir::toNativeSeparators(starter));
        QFile(part).setPermissions(QFile(part).permissions() | QFileDevice::WriteOwner);
        if (!QFile::rename(part, conf) && !QFileInfo::exists(conf)) {
            QFile::remove(part);
            return refuse(argc, argv, folder, QStringLiteral("uPVelmora.conf cannot be created"));
        }
        QFile::remove(part);
    }
    if (!QProcess::startDetached(QDir(here).filePath(QStringLiteral("uPVelmora.exe")), {}, folder))
        return refuse(argc, argv, folder, QStringLiteral("uPVelmora.exe cannot be started"));
    return 0;
}
