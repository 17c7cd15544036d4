#include "gui/platform/ufcom.h"

#include <QPlainTextEdit>

#include "core/display.h"

#include <QApplication>
#include <QDesktopServices>
#ifndef _WIN32
#include <canberra.h>
#endif
#include <condition_variable>
#include <mutex>
#include <thread>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QWidget>
#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "core/cp932.h"
#include "core/ini.h"

namespace uFCom_Bas {

QString TextBoxText(const QPlainTextEdit* box)
{
    if (!box) return QString();
    // The box keeps its lines apart; its plain text joins them with LF.
    QString text = box->toPlainText();
    // The unit separator is how a stored entry spells a line break; typed
    // or pasted, it would come back as one.
    text.remove(QChar(0x1F));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// ---- placement grid ----

namespace {
PlaceRecord g_place;
QRect g_workAreaOverride;
int g_trayOverride = -1;
QHash<QWidget*, QPointer<QSystemTrayIcon>> g_trayIcons;
}  // namespace

int twipsToPixels(int twips, int unitsPerPixel)
{
    if (unitsPerPixel <= 0) unitsPerPixel = 15;
    return static_cast<int>(std::lround(static_cast<double>(twips) / unitsPerPixel));
}

void ScaleGet(QWidget* window, int& unitsX, int& unitsY)
{
    // Forms are measured in twips: 1440 per logical inch.
    double dpiX = 96.0, dpiY = 96.0;
    QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        dpiX = screen->logicalDotsPerInchX();
        dpiY = screen->logicalDotsPerInchY();
    }
    if (dpiX <= 0) dpiX = 96.0;
    if (dpiY <= 0) dpiY = 96.0;
    unitsX = static_cast<int>(std::lround(1440.0 / dpiX));
    unitsY = static_cast<int>(std::lround(1440.0 / dpiY));
    if (unitsX <= 0) unitsX = 1;
    if (unitsY <= 0) unitsY = 1;
}

void setWorkAreaForTest(const QRect& area)
{
    g_workAreaOverride = area;
}

void PlaceDialog(QWidget* dialog, int* topOut, int* leftOut)
{
    const PlaceRecord r = PlaceGet();
    const int top = static_cast<int>(r.top + 0.2 * r.height);
    const int left = static_cast<int>(r.left + 0.1 * r.width);
    if (topOut) *topOut = top;
    if (leftOut) *leftOut = left;
    dialog->move(twipsToPixels(left, r.twipsPerPixelX()), twipsToPixels(top, r.twipsPerPixelY()));
}

int WorkAreaGet(QRect& area)
{
    if (!g_workAreaOverride.isNull()) {
        area = g_workAreaOverride;
        return 1;
    }
    if (int l, t, r, b; platform::systemWorkArea(l, t, r, b)) {
        area = QRect(l, t, r - l, b - t);
        return area.isValid() ? 1 : 0;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 0;
    area = screen->availableGeometry();
    return area.isValid() ? 1 : 0;
}

QRect WorkAreaOrDefault()
{
    QRect area;
    if (!WorkAreaGet(area)) area = QRect(0, 0, 1280, 738);
    return area;
}

bool frameOverhangRight(QWidget* window, const QRect& area, int& overhang)
{
    if (!window || !window->isVisible()) return false;
    int l = 0, t = 0, r = 0, b = 0;
    if (!platform::windowFrameRect(static_cast<std::uintptr_t>(window->winId()), l, t, r, b)) return false;
    overhang = qRound(r / window->devicePixelRatioF()) - (area.x() + area.width());
    return true;
}

void PlaceCalc(QWidget* window, const QString& /*style: applied by the caller*/, int top, int left, int width,
               int height)
{
    PlaceRecord& r = g_place;
    int ux = 15, uy = 15;
    ScaleGet(window, ux, uy);
    r.unitsX = ux;
    r.unitsY = uy;

    const QRect area = WorkAreaOrDefault();
    r.areaLeft = area.left();
    r.areaTop = area.top();
    r.areaRight = area.x() + area.width();
    r.areaBottom = area.y() + area.height();

    r.widthCells = width <= 0 ? 1 : (width > ux ? ux : width);
    r.heightCells = height <= 0 ? 1 : (height > uy ? uy : height);

    // A window pushed far off the top (left) keeps one row (column) on the
    // grid; one that would run past the bottom (right) row is moved up
    // (left) so that it lies inside the work area, top-left cell included.
    if (top <= -uy) {
        r.topCells = 1 - r.heightCells;
    } else if (top + r.heightCells > uy) {
        r.topCells = uy - r.heightCells;
    } else {
        r.topCells = top;
    }
    if (left <= -ux) {
        r.leftCells = 1 - r.widthCells;
    } else if (left + r.widthCells > ux) {
        r.leftCells = ux - r.widthCells;
    } else {
        r.leftCells = left;
    }

    r.top = r.areaBottom * r.topCells;
    r.left = r.areaRight * r.leftCells;
    r.width = r.areaRight * r.widthCells;
    r.height = r.areaBottom * r.heightCells;
    r.areaWidth = r.areaRight * ux;
    r.areaHeight = r.areaBottom * uy;
}

PlaceRecord PlaceGet()
{
    return g_place;
}

// ---- notification-area icon ----

void setTrayAvailableForTest(int available)
{
    g_trayOverride = available;
}

int TrayIconAdd(QWidget* window, const QIcon& icon, const QString& tip)
{
    if (!window) return -1;
    const bool available = g_trayOverride >= 0 ? g_trayOverride == 1 : QSystemTrayIcon::isSystemTrayAvailable();
    if (!available) return -1;
    auto existing = g_trayIcons.value(window);
    if (existing) return 0;
    auto* tray = new QSystemTrayIcon(icon, window);
    tray->setObjectName(QStringLiteral("TrayIcon"));
    // The tip field holds 63 characters and a terminator.
    tray->setToolTip(tip.left(63));
    QObject::connect(tray, &QSystemTrayIcon::activated, window, [window](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Context) QMetaObject::invokeMethod(window, "trayRightClicked");
    });
    tray->show();
    g_trayIcons.insert(window, tray);
    return 0;
}

int TrayIconDelete(QWidget* window, const QIcon& /*icon*/)
{
    auto tray = g_trayIcons.take(window);
    if (!tray) return -1;
    tray->hide();
    tray->deleteLater();
    return 0;
}

// ---- file manager ----

int ExplorerOpen(QWidget* /*window*/, const QString& folder)
{
    QString path = trimSpaces(folder);
    if (const int shown = platform::shellExplore(path.toStdString()); shown != 0) return shown > 0 ? 42 : 2;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.isEmpty() || !QFileInfo::exists(path)) path = QStringLiteral("/");
    const bool ok = QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    return ok ? 42 : 2;
}

namespace {

std::function<void()> g_beepOverride;

// Plays the sound theme's bell on a thread of its own, so that neither a
// slow sound server nor a missing one ever holds up the caller; when it
// cannot be played, the toolkit's beep sounds instead.
class BellPlayer {
public:
    static BellPlayer& instance()
    {
        // Never destroyed: the thread may still wait when the program ends.
        static BellPlayer* player = new BellPlayer;
        return *player;
    }
    void ring()
    {
        {
            std::lock_guard lock(mutex_);
            ++pending_;
        }
        wake_.notify_one();
    }

private:
    BellPlayer()
    {
        std::thread([this]() { run(); }).detach();
    }
    void run()
    {
#ifndef _WIN32
        ca_context* context = nullptr;
        if (ca_context_create(&context) != CA_SUCCESS) context = nullptr;
#endif
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this]() { return pending_ > 0; });
                --pending_;
            }
#ifndef _WIN32
            const bool played =
                context && ca_context_play(context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                                           "guide message", nullptr) == CA_SUCCESS;
#else
            // Windows: the toolkit's beep is the system's default sound.
            const bool played = false;
#endif
            if (!played) {
                if (QCoreApplication* app = QCoreApplication::instance())
                    QMetaObject::invokeMethod(
                        app, []() { QApplication::beep(); }, Qt::QueuedConnection);
            }
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    int pending_ = 0;
};

}  // namespace

void SystemBeep()
{
    if (g_beepOverride) {
        g_beepOverride();
        return;
    }
    BellPlayer::instance().ring();
}

void setBeepForTest(std::function<void()> beep)
{
    g_beepOverride = std::move(beep);
}

}  // namespace uFCom_Bas
