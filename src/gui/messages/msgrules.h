#pragma once
// The message rules on the main window's controls: the parts read from the
// two input boxes, a list operation's status line, and the list widgets that
// show the entry collections (entries.h holds the rules themselves).
#include <QString>

#include "gui/headline/colors.h"
#include "model/messages/entries.h"
#include "model/messages/statustexts.h"

class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace uFMsg {

// Colour index of the list operations' status lines (light yellow).
constexpr int kStatusColour = uFCom_Bas::kColourLightYellow;

// The delete questions of both lists: their title and their last line.
inline const QString kDeleteConfirmTitle = QStringLiteral("削除確認");
inline const QString kAsk = QStringLiteral("よろしいですか？");

// MsgInputGet on the two input boxes of the main window; refusals are shown
// on form's head line.
MsgInput MsgInputRead(QWidget* form, const QPlainTextEdit* text1, const QPlainTextEdit* text2, const QString& head);
// A list operation's status line on form's head line (shown only, light
// yellow); an empty line shows nothing.
void StatusShow(QWidget* form, const QString& line);

// Keeps list showing entries: filled now, with no row selected, and from
// then on every insert, replace, removal and reset of entries applied to it
// as well.  The controllers and the monitor change only the collection.
void ListFollow(QListWidget* list, const ObservedList& entries);
// The selected row, or -1.
int ListSelectedRow(const QListWidget* list);
// No row selected, no current row.
void ListClearSelection(QListWidget* list);

}  // namespace uFMsg
