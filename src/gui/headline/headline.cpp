#include "gui/headline/headline.h"

#include "gui/headline/colors.h"
#include "core/datetime.h"
#include "gui/platform/timer.h"

#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <string>
#include <vector>

namespace uFHLabel_Bas {

namespace {

// What the head line of one window keeps between calls: a child object of
// the window, so that each window starts over and the state goes with it.
struct HeadState : QObject {
    explicit HeadState(QWidget* window) : QObject(window) { setObjectName(QStringLiteral("HeadLineState")); }
    bool labelColourSaved = false;
    QColor labelColour;
    // Set once the history got its empty entry 0.  A flag, not a colour
    // value, so that a black background cannot repeat the set-up.
    bool historyReady = false;
    // Full, untruncated text of the line now shown.
    QString pending;
    // Where modes 11 and 13 forward.
    std::function<void(const QString&, const QString&)> forward;
};

HeadState& stateOf(QWidget* window)
{
    QObject* found = window->findChild<QObject*>(QStringLiteral("HeadLineState"), Qt::FindDirectChildrenOnly);
    if (auto* state = dynamic_cast<HeadState*>(found)) return *state;
    return *new HeadState(window);
}

const QString kEllipsis = QStringLiteral("...");

QColor backgroundOf(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

void setBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QString stampedLine(const QString& text1, const QString& text2)
{
    std::string display;
    platform::DateTimeText(display);
    return QStringLiteral("[") + QString::fromStdString(display) + QStringLiteral("]") + text1 + text2;
}

// Lengths at which the line may be cut without splitting a surrogate pair,
// shortest first, the whole length excluded.
std::vector<qsizetype> cutPoints(const QString& line)
{
    std::vector<qsizetype> cuts;
    for (qsizetype n = 1; n < line.size(); ++n) {
        if (line.at(n - 1).isHighSurrogate() && line.at(n).isLowSurrogate()) continue;
        cuts.push_back(n);
    }
    return cuts;
}

// The line as it fits into a label of the given width: unchanged when it
// fits, else the longest head that fits followed by "..." (whose width is not
// counted), else the first character alone.
QString fitLine(QLabel* measure, int available, const QString& line)
{
    if (!measure || line.isEmpty()) return line;
    if (TextWidthGet(measure, line) <= available) return line;

    const std::vector<qsizetype> cuts = cutPoints(line);
    if (cuts.empty()) return line;
    // Widths grow with the length of the head: search for the longest head
    // that fits instead of measuring every length.
    qsizetype lo = 0, hi = qsizetype(cuts.size()) - 1, best = -1;
    while (lo <= hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (TextWidthGet(measure, line.left(cuts[size_t(mid)])) <= available) {
            best = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    if (best < 0) return line.left(cuts.front());
    return line.left(cuts[size_t(best)]) + kEllipsis;
}

void moveToHistory(const HeadState& state, QComboBox* history, uFCom_Bas::Timer* timer)
{
    if (timer) {
        timer->setEnabled(false);
        timer->setInterval(0);
    }
    if (!history) return;
    if (!state.pending.isEmpty()) {
        history->insertItem(1, state.pending);
        while (history->count() > kHistoryMax) history->removeItem(history->count() - 1);
    }
}

}  // namespace

int TextWidthGet(QLabel* label, const QString& text)
{
    if (!label) return 0;
    // Measured on one line, as an auto-sizing label lays its caption out.
    const bool wrapped = label->wordWrap();
    label->setWordWrap(false);
    label->setText(QString());
    label->setText(text);
    const QSize hint = label->sizeHint();
    label->resize(hint);
    label->setWordWrap(wrapped);
    return hint.width();
}

void HeadMsgShow(QWidget* window, int mode, int colour, const QString& text1, const QString& text2)
{
    // Without a window only the forwarding is left to do.
    QLabel* label = nullptr;
    QComboBox* history = nullptr;
    QLabel* measure = nullptr;
    uFCom_Bas::Timer* timer = nullptr;
    if (window) {
        label = window->findChild<QLabel*>(QStringLiteral("Head_Label_1"));
        history = window->findChild<QComboBox*>(QStringLiteral("Head_Combo"));
        measure = window->findChild<QLabel*>(QStringLiteral("Dummy_Label"));
        timer = window->findChild<uFCom_Bas::Timer*>(QStringLiteral("HeadMsgTimer"));
    }

    const QString line = stampedLine(text1, text2);

    // Without a window nothing below reads the state; the stand-in is never kept.
    HeadState detached(nullptr);
    HeadState& state = window ? stateOf(window) : detached;
    // First-call set-up.  Status lines may carry text the operator typed:
    // they are shown literally, never as rich text.
    if (label && !state.labelColourSaved) {
        state.labelColour = backgroundOf(label);
        state.labelColourSaved = true;
        label->setTextFormat(Qt::PlainText);
    }
    if (measure) measure->setTextFormat(Qt::PlainText);
    if (history && !state.historyReady) {
        history->insertItem(0, QString());
        state.historyReady = true;
    }

    switch (window ? mode : kModeSendOnly) {
    case kModeClear:
        moveToHistory(state, history, timer);
        state.pending.clear();
        if (label) {
            label->setText(QString());
            if (state.labelColourSaved) setBackground(label, state.labelColour);
        }
        break;
    case kModeShow:
    case kModeShowSend: {
        moveToHistory(state, history, timer);
        state.pending = line;
        if (label) {
            label->setText(fitLine(measure, label->width(), line));
            const QColor wanted = uFCom_Bas::colorFromValue(colour);
            if (wanted.isValid()) {
                setBackground(label, wanted);
            } else if (state.labelColourSaved) {
                setBackground(label, state.labelColour);
            }
        }
        if (timer) {
            timer->setInterval(kShowMs);
            timer->setEnabled(true);
        }
        break;
    }
    default:
        break;
    }

    if ((mode == kModeShowSend || mode == kModeSendOnly) && state.forward) {
        // The recorder's answer changes nothing on screen.
        state.forward(text1, text2);
    }
}

void HeadMsgTimer_Tick(QWidget* window)
{
    if (!window) return;
    if (auto* timer = window->findChild<uFCom_Bas::Timer*>(QStringLiteral("HeadMsgTimer"))) {
        timer->setEnabled(false);
        timer->setInterval(0);
    }
    HeadMsgShow(window, kModeClear, kDesignedColour, QString(), QString());
}

void SetForwarder(QWidget* window, std::function<void(const QString&, const QString&)> forward)
{
    if (window) stateOf(window).forward = std::move(forward);
}

}  // namespace uFHLabel_Bas
