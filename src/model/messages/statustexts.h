#pragma once
// The numbered status texts of the program (1, 2, 201 to 205, 211 to 218):
// the table the status lines and the message catalogue take them from.
// Each line is shown after the status prefix ("[" + title + "]").
#include <QString>
#include <utility>

namespace uFMsg {

// Status lines of the list operations and the monitor (table numbers).
enum StatusKey : int {
    kLoaded = 1,
    kUnloaded = 2,
    kEntryAdded = 201,
    kEntryFull = 202,
    kEntryUpdated = 203,
    kEntryDeleted = 204,
    kEntryCleared = 205,
    kCycleAdded = 211,
    kCycleFull = 212,
    kCycleUpdated = 213,
    kCycleDeleted = 214,
    kMonitorStarted = 215,
    kMonitorStopped = 216,
    kMonitorEmpty = 217,
    kCycleCleared = 218,
};

// The text of a number, without the prefix; empty for reserved and unknown
// numbers.
QString StatusText(int no);

// A save that fails: the line's two texts (after the prefix).
inline const QString kFileAccessNG = QStringLiteral("File Access NG");
inline const QString kFileAccessNGTail = QStringLiteral(" 設定Fileに書込できません。");

// A minute chosen that is not later than the current one is refused with
// this line (after the prefix).
inline const QString kDueTimeRefused = QStringLiteral("設定日時が現在日時より小さいです。");

// The number ranges the catalogue offers, in the order it is built.
inline constexpr std::pair<int, int> kStatusRanges[] = {{1, 10}, {101, 120}, {201, 220}};

}  // namespace uFMsg
