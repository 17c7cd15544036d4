#pragma once
// A stand-in for the main window's head row, and a stand-in recorder that
// owns the recorder's mailslot, for the head-line tests.
#include "model/config/env.h"
#include "gui/headline/headline.h"
#include "core/datetime.h"
#include "core/mailslot.h"
#include "gui/platform/timer.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"
#include "fakes.h"
#include "test_support.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPalette>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

namespace headtest {

// Fixed clock: every line is stamped [2024/05/06 07:08:09:123].
inline const QString kStamp = QStringLiteral("[2024/05/06 07:08:09:123]");

class FixedClock : public testsupport::StillClock {
public:
    FixedClock() : StillClock(platform::LocalTime{2024, 5, 6, 7, 8, 9, 123}) {}
};

struct FakeMain {
    QWidget window;
    QLabel* head = nullptr;
    QComboBox* history = nullptr;
    QLabel* dummy = nullptr;
    uFCom_Bas::Timer* timer = nullptr;
    uFHLabel_Bas::HeadLine* line = nullptr;

    explicit FakeMain(int labelWidth = 520, QColor designed = QColor(192, 192, 192))
    {
        window.resize(640, 120);
        head = new QLabel(&window);
        head->setObjectName(QStringLiteral("Head_Label_1"));
        head->setGeometry(0, 0, labelWidth, 20);
        QPalette p = head->palette();
        p.setColor(QPalette::Window, designed);
        head->setPalette(p);
        head->setAutoFillBackground(true);
        history = new QComboBox(&window);
        history->setObjectName(QStringLiteral("Head_Combo"));
        history->setGeometry(0, 24, 620, 20);
        QPalette cp = history->palette();
        cp.setColor(QPalette::Window, designed);
        history->setPalette(cp);
        dummy = new QLabel(&window);
        dummy->setObjectName(QStringLiteral("Dummy_Label"));
        dummy->setFont(head->font());
        dummy->setGeometry(80, 24, 73, 17);
        dummy->setVisible(false);
        timer = new uFCom_Bas::Timer(&window, QStringLiteral("HeadMsgTimer"));
        line = new uFHLabel_Bas::HeadLine(&window, {head, history, dummy, timer});
    }

    QStringList historyItems() const
    {
        QStringList items;
        for (int i = 0; i < history->count(); ++i) items << history->itemText(i);
        return items;
    }
    QColor background() const { return head->palette().color(QPalette::Window); }
};

// Owns the recorder's mailslot and makes its window "exist", so that what
// the program forwards can be read back.  ok() is false when the slot is
// taken by someone else for more than ten seconds.
class FakeRecorder {
public:
    FakeRecorder()
        : oldCwd_(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(dir_.path()));
        testsupport::writeFile(dir_.file("uPVelmora.conf"), "[Section_Watch]\r\n");
        link_ = std::make_unique<uFCom_Bas::RecorderLink>(uFCom_Bas::EnvInit(QStringLiteral("ｳﾞｪﾙﾓﾗ")));
        // Another test program may hold the name for a moment.
        testsupport::waitUntil([this] {
            slot_ = platform::mailslot::SlotCreate("uPCorvane", 0);
            return slot_ >= 0;
        }, 10000);
    }
    ~FakeRecorder()
    {
        link_.reset();
        if (slot_ >= 0) platform::mailslot::HandleClose(slot_);
        QDir::setCurrent(oldCwd_);
    }
    bool ok() const { return slot_ >= 0; }
    // The program's link to this recorder.
    uFCom_Bas::RecorderLink& link() { return *link_; }
    // Makes the window's head line forward to it, as the program wires it.
    void forwardFrom(QWidget* window)
    {
        uFHLabel_Bas::HeadLine::of(window)->setRecorder(link_.get());
    }
    void setAlive(bool on) { alive_ = on; }

    // The texts (text 1 + "|" + text 2) of every record received so far.
    QStringList received()
    {
        QStringList out;
        std::vector<char> buf(platform::mailslot::kMaxMessage);
        for (;;) {
            const int n = platform::mailslot::SlotRead(slot_, int(buf.size()), buf.data());
            if (n < 0) break;
            const auto v = uFCom_Bas::decodeNotifyRecord(QByteArray(buf.data(), n));
            out << uFCom_Bas::fromAnsi(v.text1) + QStringLiteral("|") + uFCom_Bas::fromAnsi(v.text2);
        }
        return out;
    }

private:
    testsupport::TempDir dir_;
    QString oldCwd_;
    int slot_ = -1;
    bool alive_ = true;
    testsupport::FakeExeName exeName_{"uPVelmora"};
    std::unique_ptr<uFCom_Bas::RecorderLink> link_;
    testsupport::FakeWindowSearch window_{[this](const std::string&) { return alive_; }};
};

}  // namespace headtest
