#include "app/startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

#include "platform/appicon.h"
#include "platform/fonts.h"
#include "app/form1.h"
#include "config/env.h"
#include "headline/headline.h"
#include "platform/core/display.h"
#include "platform/core/fontwarm.h"
#include "recorder/keycatalog.h"

namespace {
const QString kDesignCaption = QStringLiteral("ｳﾞｪﾙﾓﾗ");
const QString kAlreadyHead = QStringLiteral("既に ");
const QString kAlreadyTail = QStringLiteral(" は Load されています。");
const QString kNoConfTail = QStringLiteral(" に必要な設定ﾌｧｲﾙがありません。");
const QString kReady = QStringLiteral("準備終了しました。");
}  // namespace

namespace app {

void standardMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok);
    box.exec();
}

}  // namespace app

Main::Main()
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(kDesignCaption);
    setWindowIcon(uFCom_Bas::programIcon());
    Timer1 = new uFCom_Bas::Timer(this, QStringLiteral("Timer1"));
    connect(Timer1, &uFCom_Bas::Timer::Tick, this, &Main::Timer1_Timer);
}

bool Main::Form_Load()
{
    const QString caption = windowTitle();
    if (!lock_.acquire(platform::runningExecutablePath())) {
        app::standardMessage(kAlreadyHead + caption + kAlreadyTail);
        return false;
    }
    uFCom_Bas::EnvInit(kDesignCaption);
    const int own = uFCom_Bas::ProgIndexGet(uFCom_Bas::ExeBaseName());
    if (own < 0) {
        app::standardMessage(caption + kNoConfTail);
        return false;
    }
    setWindowTitle(uFCom_Bas::EnvGet().Progs[own].WinCaption);
    setVisible(false);
    Timer1->setInterval(1);
    Timer1->setEnabled(true);
    return true;
}

void Main::Timer1_Timer()
{
    Timer1->setEnabled(false);
    Timer1->setInterval(0);

    form1_ = new Form1;
    form1_->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!form1_->Form_Load(windowTitle(), windowIcon())) return;
    form1_->show();

    catalog_ = new CVMsgKey_Dialog(form1_);
    form1_->setKeyCatalog(catalog_);

    uFHLabel_Bas::HeadMsgShow(form1_, 1, -1, form1_->FormKeyMsgHead() + kReady, QString());
}

namespace app {

int runProgram(int argc, char** argv)
{
    using platform::DisplayKind;
    platform::startFontPrewarm();
    const DisplayKind kind = platform::displayFromEnvironment();
    if (kind == DisplayKind::NoDisplay) {
        platform::finishFontPrewarm();
        std::fprintf(stderr, "uPVelmora: no display (set DISPLAY or WAYLAND_DISPLAY); the program needs a desktop.\n");
        return 1;
    }
    if (kind == DisplayKind::X11) {
        // Use X11 (also under XWayland) so that the program and its peers find
        // each other's windows.
        if (!platform::xDisplayReachable()) {
            platform::finishFontPrewarm();
            std::fprintf(stderr, "uPVelmora: cannot open the X display \"%s\".\n", qgetenv("DISPLAY").constData());
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    QApplication application(argc, argv);
    platform::finishFontPrewarm();
    QApplication::setApplicationName(QStringLiteral("uPVelmora"));
    QApplication::setFont(uFCom_Bas::pGothicFont(9));
    QApplication::setQuitOnLastWindowClosed(false);

    Main main;
    // SIGTERM, SIGINT and SIGHUP end the program like the close command.
    const int signalFd = platform::installShutdownSignalPipe();
    if (signalFd >= 0) {
        auto* notifier = new QSocketNotifier(signalFd, QSocketNotifier::Read, &application);
        QObject::connect(notifier, &QSocketNotifier::activated, &application, [&main, signalFd]() {
            char buf[16];
            while (::read(signalFd, buf, sizeof buf) > 0) {
            }
            if (main.form1()) {
                main.form1()->Form_Unload();
            } else {
                std::fflush(stdout);
                ::_exit(0);
            }
        });
    }
    if (!main.Form_Load()) return 0;
    return application.exec();
}

}  // namespace app
