#include "platform/ufcom.h"

#include <QPlainTextEdit>

#include "platform/core/display.h"

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

#include "platform/core/cp932.h"
#include "platform/core/ini.h"

namespace uFCom_Bas {

QByteArray toAnsi(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::string bytes = platform::utf8ToCp932(std::string_view(utf8.constData(), utf8.size()));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString fromAnsi(const QByteArray& bytes)
{
    const std::string utf8 = platform::cp932ToUtf8(std::string_view(bytes.constData(), bytes.size()));
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

int AnsiByteLen(const QString& text)
{
    return static_cast<int>(toAnsi(text).size());
}

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

QString trimSpaces(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b) == QLatin1Char(' ')) ++b;
    while (e > b && text.at(e - 1) == QLatin1Char(' ')) --e;
    return text.mid(b, e - b);
}

bool isNumeric(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    return re.match(text).hasMatch();
}

int roundHalfEven(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || std::isnan(v)) return 0;
    const double r = std::nearbyint(v);  // default rounding mode: halves to even
    if (r > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (r < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

namespace {
std::string pathBytes(const QString& file)
{
    return trimSpaces(file).toUtf8().toStdString();
}
std::string ansiBytes(const QString& text)
{
    return toAnsi(text).toStdString();
}
}  // namespace

QString ProfileGet(const QString& file, const QString& section, const QString& key)
{
    std::string value = platform::ini::profileGet(pathBytes(file), ansiBytes(section), ansiBytes(key));
    const auto nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    if (value.empty()) return QString();
    return fromAnsi(QByteArray(value.data(), static_cast<qsizetype>(value.size())));
}

int ProfilePut(const QString& file, const QString& section, const QString& key, const QString& value)
{
    std::optional<std::string> v;
    if (!(value.isEmpty() || value == QString(QChar(0)))) v = ansiBytes(value);
    return platform::ini::profilePut(pathBytes(file), ansiBytes(section), ansiBytes(key), v) < 0 ? -1 : 0;
}

QString TokenNext(QString& rest, const QString& delimiter)
{
    if (rest.isEmpty()) return QString();
    const qsizetype at = delimiter.isEmpty() ? -1 : rest.indexOf(delimiter, 0, Qt::CaseSensitive);
    if (at < 0) {
        QString token = rest;
        rest.clear();
        return token;
    }
    QString token = rest.left(at);
    rest = rest.mid(at + delimiter.size());
    return token;
}

QString CsvFieldGet(int index, const QString& text, const QString& delimiter)
{
    if (text.isEmpty()) return QString();
    QString rest = trimSpaces(text);
    for (int count = 0;; ++count) {
        const QString token = TokenNext(rest, delimiter);
        // Nothing left: a trailing delimiter makes no empty last field.
        if (token.isEmpty() && rest.isEmpty()) return kFieldMissing;
        if (count == index) return token;
        if (count == std::numeric_limits<int>::max()) return kFieldMissing;
    }
}

QString StrPad(const QString& format, const QString& value)
{
    const QString trimmed = trimSpaces(value);
    if (format.isEmpty()) return trimmed;
    const QChar side = format.at(0);
    const QString rest = format.mid(1);
    const int n = isNumeric(rest) ? roundHalfEven(rest) : 0;
    if (n <= 0) return trimmed;
    if (side == QLatin1Char('R')) {
        const QString padded = QString(n, QLatin1Char(' ')) + trimmed;
        return padded.right(n);
    }
    if (side == QLatin1Char('L')) {
        const QString padded = trimmed + QString(n, QLatin1Char(' '));
        return padded.left(n);
    }
    return trimmed;
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

void PlaceCalc(QWidget* window, const QString& style, int top, int left, int width, int height)
{
    PlaceRecord& r = g_place;
    int ux = 15, uy = 15;
    ScaleGet(window, ux, uy);
    r.scaleMode = 1;  // twips
    r.unitsX = ux;
    r.unitsY = uy;

    QRect area;
    if (WorkAreaGet(area)) {
        r.areaLeft = area.left();
        r.areaTop = area.top();
        r.areaRight = area.x() + area.width();
        r.areaBottom = area.y() + area.height();
    } else {
        r.areaRight = 1280;
        r.areaBottom = 738;
    }
    r.style = style;

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
    const bool available =
        g_trayOverride >= 0 ? g_trayOverride == 1 : QSystemTrayIcon::isSystemTrayAvailable();
    if (!available) return -1;
    auto existing = g_trayIcons.value(window);
    if (existing) return 0;
    auto* tray = new QSystemTrayIcon(icon, window);
    tray->setObjectName(QStringLiteral("TrayIcon"));
    // The tip field holds 63 characters and a terminator.
    tray->setToolTip(tip.left(63));
    QObject::connect(tray, &QSystemTrayIcon::activated, window,
                     [window](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Context)
                             QMetaObject::invokeMethod(window, "trayRightClicked");
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
            const bool played = context && ca_context_play(context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                                                           "guide message", nullptr) == CA_SUCCESS;
#else
            // Windows: the toolkit's beep is the system's default sound.
            const bool played = false;
#endif
            if (!played) {
                if (QCoreApplication* app = QCoreApplication::instance())
                    QMetaObject::invokeMethod(app, []() { QApplication::beep(); }, Qt::QueuedConnection);
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
