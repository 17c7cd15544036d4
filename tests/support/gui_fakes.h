#pragma once
// Stand-ins for the outside dependencies of the widgets: the work area, the
// notification area and the operator's answers.  Each is in place from its
// construction to its end, and the one before it comes back then.
#include <QRect>
#include <functional>
#include <utility>

#include "core/seam.h"
#include "gui/dialogs/msgbox.h"
#include "gui/platform/filechooser.h"
#include "gui/platform/tray.h"
#include "gui/platform/workarea.h"

namespace testsupport {

class FakeWorkArea : public uFCom_Bas::WorkArea {
public:
    explicit FakeWorkArea(const QRect& area) : area_(area) {}
    bool get(QRect& area) override
    {
        area = area_;
        return true;
    }
    void set(const QRect& area) { area_ = area; }

private:
    QRect area_;
    seam::Use<uFCom_Bas::WorkArea> use_{*this};
};

class FakeTray : public uFCom_Bas::Tray {
public:
    explicit FakeTray(bool available) : available_(available) {}
    bool available() override { return available_; }

private:
    bool available_;
    seam::Use<uFCom_Bas::Tray> use_{*this};
};

// Answers the next question as next() said (a later call replaces it); a
// question with no answer set goes to the box on the screen.
class FakeAnswerer : public MsgBoxAnswerer {
public:
    using Answer = std::function<int(MsgBox_Dialog& box)>;
    void next(Answer answer) { next_ = std::move(answer); }
    int answer(MsgBox_Dialog& box) override
    {
        if (!next_) return MsgBoxAnswerer::system().answer(box);
        const Answer answer = std::exchange(next_, Answer());
        return answer(box);
    }

private:
    Answer next_;
    seam::Use<MsgBoxAnswerer> use_{*this};
};

// Picks the file set (empty: the operator backs out) without a dialog, and
// counts the asks.
class FakeFileChooser : public uFCom_Bas::FileChooser {
public:
    QString toRead(QWidget*, const QString&, const QString&) override
    {
        ++asked;
        return path;
    }
    QString toWrite(QWidget*, const QString&, const QString&, const QString&) override
    {
        ++asked;
        return path;
    }
    QString path;
    int asked = 0;

private:
    seam::Use<uFCom_Bas::FileChooser> use_{*this};
};

}  // namespace testsupport
