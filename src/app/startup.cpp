#include "app/startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "gui/platform/appicon.h"
#include "gui/platform/fonts.h"
#include "app/form1.h"
#include "model/config/env.h"
#include "gui/headline/headline.h"
#include "core/display.h"
#include "core/fontwarm.h"
#include "core/runtimedir.h"
#include "gui/recorder/keycatalog.h"

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
    env_ = uFCom_Bas::EnvInit(kDesignCaption);
    const std::optional<uFCom_Bas::ProgEntry> own = uFCom_Bas::OwnEntry(env_);
    if (!own) {
        app::standardMessage(caption + kNoConfTail);
        return false;
    }
    setWindowTitle(own->WinCaption);
    setVisible(false);
    Timer1->setInterval(1);
    Timer1->setEnabled(true);
    return true;
}

void Main::Timer1_Timer()
{
    Timer1->setEnabled(false);
    Timer1->setInterval(0);

    // The icon's images were decoded meanwhile on a second thread.
    setWindowIcon(uFCom_Bas::programIcon());
    form1_ = new Form1(env_);
    form1_->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!form1_->Form_Load(windowTitle(), windowIcon())) return;
    form1_->show();

    catalog_ = new CVMsgKey_Dialog(form1_, form1_->FormKeyMsgHead(), &form1_->recorder());
    form1_->setKeyCatalog(catalog_);

    uFHLabel_Bas::HeadMsgShow(form1_, uFHLabel_Bas::HeadMode::Show, uFHLabel_Bas::kDesignedColour,
                              form1_->FormKeyMsgHead() + kReady, QString());
}

namespace app {

namespace {

// Qt's messages while QApplication starts.  They are held back so that a
// platform that cannot start ends the program with one line and status 1
// instead of Qt's screenful and abort; once Qt is up they go out as usual.
struct HeldMessage {
    QtMsgType type;
    QByteArray category, file, function;
    int line;
    QString text;
};
std::mutex g_heldLock;
std::vector<HeldMessage> g_held;
QtMessageHandler g_previousHandler = nullptr;
// The program chose Qt's xcb platform for the X display DISPLAY names.
bool g_xDisplayChosen = false;

void startupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    std::lock_guard<std::mutex> guard(g_heldLock);
    if (type != QtFatalMsg) {
        g_held.push_back({type, context.category, context.file, context.function, context.line, text});
        return;
    }
    // Qt's reason is in the platform warnings before the fatal message.
    QStringList reasons;
    for (const HeldMessage& m : g_held) {
        if (!m.category.startsWith("qt.qpa")) continue;
        QString r = m.text.trimmed();
        if (r.endsWith(QLatin1Char('.'))) r.chop(1);
        if (!r.isEmpty()) reasons << r;
    }
    if (reasons.isEmpty()) reasons << text.section(QLatin1Char('\n'), 0, 0).trimmed();
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray what = g_xDisplayChosen     ? "cannot open the X display \"" + qgetenv("DISPLAY") + "\""
                            : platform.isEmpty() ? QByteArray("no Qt platform could start")
                                                 : "the Qt platform \"" + platform + "\" cannot start";
    std::fprintf(stderr, "uPVelmora: %s (%s); the program needs a desktop.\n", what.constData(),
                 reasons.join(QStringLiteral("; ")).toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

void holdStartupMessages()
{
    g_previousHandler = qInstallMessageHandler(startupMessageHandler);
}

void releaseStartupMessages()
{
    qInstallMessageHandler(g_previousHandler);
    std::vector<HeldMessage> held;
    {
        std::lock_guard<std::mutex> guard(g_heldLock);
        held.swap(g_held);
    }
    for (const HeldMessage& m : held) {
        const QMessageLogContext context(m.file.isEmpty() ? nullptr : m.file.constData(), m.line,
                                         m.function.isEmpty() ? nullptr : m.function.constData(),
                                         m.category.isEmpty() ? nullptr : m.category.constData());
        if (g_previousHandler) {
            g_previousHandler(m.type, context, m.text);
        } else {
            qt_message_output(m.type, context, m.text);
        }
    }
}

int refuse(const char* format, const char* detail)
{
    platform::finishFontPrewarm();
    std::fprintf(stderr, format, detail);
    return 1;
}

}  // namespace

int runProgram(int argc, char** argv)
{
    using platform::DisplayKind;
    const DisplayKind kind = platform::displayFromEnvironment();
    if (kind == DisplayKind::NoDisplay) {
        std::fprintf(stderr, "uPVelmora: no display (set DISPLAY or WAYLAND_DISPLAY); the program needs a desktop.\n");
        return 1;
    }
    // The environment is settled before the font thread starts: it reads the
    // environment, and setenv beside getenv on another thread is not safe.
    // X11 (also under XWayland) so that the program and its peers find each
    // other's windows.
    if (kind == DisplayKind::X11) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        g_xDisplayChosen = true;
    }
    platform::startFontPrewarm();

    // An X display that does not answer is found by Qt's xcb platform, whose
    // failure the start-up message handler turns into one line.
    const QByteArray requested = qgetenv("QT_QPA_PLATFORM");
    if (kind == DisplayKind::Wayland || requested == "wayland" || requested == "wayland-egl") {
        std::string why;
        if (!platform::waylandDisplayReachable(why))
            return refuse("uPVelmora: no Wayland compositor at %s; the program needs a desktop.\n", why.c_str());
    }

    // Qt's xcb platform takes DESKTOP_STARTUP_ID (set by a launcher) out of
    // the environment while it connects; with one set, the fonts come first.
    if (qEnvironmentVariableIsSet("DESKTOP_STARTUP_ID")) platform::finishFontPrewarm();

    holdStartupMessages();
    QApplication application(argc, argv);
    releaseStartupMessages();
    uFCom_Bas::startProgramIconLoad();
    platform::finishFontPrewarm();
    QApplication::setApplicationName(QStringLiteral("uPVelmora"));
    QApplication::setFont(uFCom_Bas::pGothicFont(9));
    QApplication::setQuitOnLastWindowClosed(false);

    // The mailslots and the instance lock live in a folder that only this
    // user can enter; without one another user could take them over.
    std::string problem;
    if (platform::privateRuntimeDir(&problem).empty() && !problem.empty()) {
        std::fprintf(stderr,
                     "uPVelmora: %s; the program's mailslot and lock need a folder that only its user can enter "
                     "(XDG_RUNTIME_DIR, or uPVelmora-<uid> in the temporary folder).\n",
                     problem.c_str());
        std::fflush(stderr);
        standardMessage(Form1::SlotFailText(kDesignCaption + QStringLiteral(" [") + uFCom_Bas::ExeBaseName() +
                                            QStringLiteral("]")));
        return 1;
    }

    Main main;
    // SIGTERM, SIGINT and SIGHUP end the program like the close command.
    const int signalFd = platform::installShutdownSignalPipe();
    if (signalFd >= 0) {
        auto* notifier = new QSocketNotifier(signalFd, QSocketNotifier::Read, &application);
        QObject::connect(notifier, &QSocketNotifier::activated, &application, [&main, signalFd]() {
            platform::drainShutdownSignalPipe(signalFd);
            if (main.form1()) {
                main.form1()->Form_Unload();
            } else {
                platform::endProcess(0);
            }
        });
    }
    if (!main.Form_Load()) return 0;
    return application.exec();
}

}  // namespace app
