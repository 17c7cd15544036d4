#include "gui/headline/headline.h"

#include "gui/headline/colors.h"
#include "core/datetime.h"
#include "gui/platform/timer.h"
#include "model/recorder/recorder.h"

#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <string>
#include <vector>

namespace uFHLabel_Bas {

namespace {

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

HeadLine::HeadLine(QWidget* window, Controls controls, uFCom_Bas::RecorderLink* recorder)
    : QObject(window), c_(controls), recorder_(recorder)
{
    setObjectName(QStringLiteral("HeadLine"));
    if (c_.timer) connect(c_.timer, &uFCom_Bas::Timer::Tick, this, &HeadLine::timerTick);
}

HeadLine* HeadLine::of(const QWidget* window)
{
    return window ? window->findChild<HeadLine*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void HeadLine::firstCallSetUp()
{
    // Status lines may carry text the operator typed: they are shown
    // literally, never as rich text.
    if (c_.label && !labelColourSaved_) {
        labelColour_ = backgroundOf(c_.label);
        labelColourSaved_ = true;
        c_.label->setTextFormat(Qt::PlainText);
    }
    if (c_.measure) c_.measure->setTextFormat(Qt::PlainText);
    if (c_.history && !historyReady_) {
        c_.history->insertItem(0, QString());
        historyReady_ = true;
    }
}

void HeadLine::moveToHistory()
{
    if (c_.timer) {
        c_.timer->setEnabled(false);
        c_.timer->setInterval(0);
    }
    if (!c_.history || pending_.isEmpty()) return;
    c_.history->insertItem(1, pending_);
    while (c_.history->count() > kHistoryMax) c_.history->removeItem(c_.history->count() - 1);
}

void HeadLine::show(HeadMode mode, int colour, const QString& text1, const QString& text2)
{
    const QString line = stampedLine(text1, text2);
    firstCallSetUp();
    switch (mode) {
    case HeadMode::Clear:
        moveToHistory();
        pending_.clear();
        if (c_.label) {
            c_.label->setText(QString());
            if (labelColourSaved_) setBackground(c_.label, labelColour_);
        }
        break;
    case HeadMode::Show:
    case HeadMode::ShowSend: {
        moveToHistory();
        pending_ = line;
        if (c_.label) {
            c_.label->setText(fitLine(c_.measure, c_.label->width(), line));
            const QColor wanted = uFCom_Bas::colorFromValue(colour);
            if (wanted.isValid()) {
                setBackground(c_.label, wanted);
            } else if (labelColourSaved_) {
                setBackground(c_.label, labelColour_);
            }
        }
        if (c_.timer) {
            c_.timer->setInterval(kShowMs);
            c_.timer->setEnabled(true);
        }
        break;
    }
    case HeadMode::SendOnly:
        break;
    }
    // The recorder's answer changes nothing on screen.
    if ((mode == HeadMode::ShowSend || mode == HeadMode::SendOnly) && recorder_) recorder_->send(text1, text2);
}

void HeadLine::showNext(HeadMode mode, int colour, const QString& text1, const QString& text2)
{
    if (pending_.isEmpty() && queued_.empty()) {
        show(mode, colour, text1, text2);
        return;
    }
    queued_.push_back(Line{mode, colour, text1, text2});
}

void HeadLine::timerTick()
{
    if (c_.timer) {
        c_.timer->setEnabled(false);
        c_.timer->setInterval(0);
    }
    if (!queued_.empty()) {
        const Line next = queued_.front();
        queued_.pop_front();
        show(next.mode, next.colour, next.text1, next.text2);
        return;
    }
    show(HeadMode::Clear, kDesignedColour, QString(), QString());
}

void HeadMsgShow(QWidget* window, HeadMode mode, int colour, const QString& text1, const QString& text2)
{
    if (HeadLine* head = HeadLine::of(window)) head->show(mode, colour, text1, text2);
}

}  // namespace uFHLabel_Bas
