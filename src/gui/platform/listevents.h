#pragma once
// The list box events the forms rely on, for a QListWidget: Click whenever
// the operator changes the selection, by mouse (once per click, on the
// release, also on the row already selected) or by keyboard, and MouseDown
// for every button pressed on it.  A right-button press is taken here, so it
// selects nothing and leaves the handler to decide.
#include <QObject>

class QListWidget;

namespace uFCom_Bas {

class ListEvents : public QObject {
    Q_OBJECT
public:
    explicit ListEvents(QListWidget* list);

signals:
    void Click();
    // 1 left, 2 right, 4 middle.
    void MouseDown(int button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectionChanged();
    QListWidget* list_;
    QObject* viewport_;
    // A mouse button is down on the list: its release raises Click.
    bool pressing_ = false;
    // A key is down on the list.
    bool keying_ = false;
};

}  // namespace uFCom_Bas
