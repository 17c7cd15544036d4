#include "gui/platform/listevents.h"

#include <QListWidget>
#include <QMouseEvent>

namespace uFCom_Bas {

namespace {
int buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}
}  // namespace

ListEvents::ListEvents(QListWidget* list) : QObject(list), list_(list), viewport_(list->viewport())
{
    list->installEventFilter(this);
    viewport_->installEventFilter(this);
    connect(list, &QListWidget::itemSelectionChanged, this, &ListEvents::selectionChanged);
}

void ListEvents::selectionChanged()
{
    // Only the operator's keys: a mouse click raises Click on its release,
    // and changes made by the program raise nothing.
    if (pressing_ || !keying_) return;
    emit Click();
}

bool ListEvents::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_) {
        // The selection moves while the list handles the key press.
        if (event->type() == QEvent::KeyPress)
            keying_ = true;
        else if (event->type() == QEvent::KeyRelease || event->type() == QEvent::FocusOut)
            keying_ = false;
        return false;
    }
    // Compared with the pointer taken at construction: events also come
    // while the list is being destroyed, when it may not be asked anything.
    if (watched != viewport_) return false;
    if (event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        pressing_ = true;
        emit MouseDown(buttonCode(me->button()));
        if (me->button() == Qt::RightButton) {
            pressing_ = false;
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (pressing_ && me->button() == Qt::LeftButton) {
            pressing_ = false;
            emit Click();
        } else if (me->buttons() == Qt::NoButton) {
            pressing_ = false;
        }
    }
    return false;
}

}  // namespace uFCom_Bas
