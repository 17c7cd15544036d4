#include "gui/messages/msgrules.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVariant>

#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/platform/ufcom.h"

namespace uFMsg {

MsgInput MsgInputRead(QWidget* form, const QPlainTextEdit* text1, const QPlainTextEdit* text2, const QString& head)
{
    const QString t1 = uFCom_Bas::TextBoxText(text1);
    const QString t2 = uFCom_Bas::TextBoxText(text2);
    return MsgInputGet(t1, t2, head, [form](const QString& line) { StatusShow(form, line); });
}

void StatusShow(QWidget* form, const QString& line)
{
    if (line.isEmpty()) return;
    uFHLabel_Bas::HeadMsgShow(form, uFHLabel_Bas::HeadMode::Show, uFCom_Bas::ColorGet(kStatusColour), line, QString());
}

namespace {

// The view's observer of its entries.
const char* const kFollowToken = "velmoraFollowToken";

void show(QListWidget* list, const QStringList& texts)
{
    list->clear();
    list->addItems(texts);
    if (list->count() > 0) ListClearSelection(list);
}

}  // namespace

void ListFollow(QListWidget* list, const ObservedList& entries)
{
    if (!list) return;
    show(list, entries.texts());
    // A list that followed these entries before follows them once.
    const QVariant before = list->property(kFollowToken);
    if (before.isValid()) entries.unobserve(before.toInt());
    const int token = entries.observe([view = QPointer<QListWidget>(list)](const ListChange& c) {
        if (!view) return;
        switch (c.kind) {
        case ListChange::Insert:
            view->insertItem(c.row, c.texts.value(0));
            break;
        case ListChange::Replace:
            if (QListWidgetItem* item = view->item(c.row)) item->setText(c.texts.value(0));
            break;
        case ListChange::Remove:
            delete view->takeItem(c.row);
            break;
        case ListChange::Reset:
            show(view, c.texts);
            break;
        }
    });
    list->setProperty(kFollowToken, token);
}

int ListSelectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

void ListClearSelection(QListWidget* list)
{
    list->clearSelection();
    list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
}

}  // namespace uFMsg
