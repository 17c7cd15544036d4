#include "model/messages/statustexts.h"

#include <iterator>

#include "model/messages/entries.h"

namespace uFMsg {

namespace {

struct Numbered {
    int no;
    QString text;
};

const QString kFullHead = QStringLiteral("最大登録数[");
const QString kFullTail = QStringLiteral("]を超えます。");

}  // namespace

QString StatusText(int no)
{
    static const Numbered table[] = {
        {kLoaded, QStringLiteral("を Load しました。")},
        {kUnloaded, QStringLiteral("を UnLoad しました。")},
        {kEntryAdded, QStringLiteral("定型部ﾒｯｾｰｼﾞに登録されました。")},
        {kEntryFull,
         QStringLiteral("定型部ﾒｯｾｰｼﾞに登録できません。") + kFullHead + QString::number(ListItemMax) + kFullTail},
        {kEntryUpdated, QStringLiteral("定型部ﾒｯｾｰｼﾞを更新しました。")},
        {kEntryDeleted, QStringLiteral("定型部ﾒｯｾｰｼﾞから削除されました。")},
        {kEntryCleared, QStringLiteral("定型部ﾒｯｾｰｼﾞを全て削除しました。")},
        {kCycleAdded, QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録されました。")},
        {kCycleFull,
         QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録できません。") + kFullHead + QString::number(ListItemMax) + kFullTail},
        {kCycleUpdated, QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを更新しました。")},
        {kCycleDeleted, QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞから削除されました。")},
        {kMonitorStarted, QStringLiteral("ｶﾞｲﾄﾞ部監視を開始しました。")},
        {kMonitorStopped, QStringLiteral("ｶﾞｲﾄﾞ部監視を停止しました。")},
        {kMonitorEmpty, QStringLiteral("ｶﾞｲﾄﾞ部監視の登録がありません。停止します。")},
        {kCycleCleared, QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除しました。")},
    };
    for (const Numbered& n : table)
        if (n.no == no) return n.text;
    return QString();
}

}  // namespace uFMsg
