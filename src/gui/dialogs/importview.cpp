#include "gui/dialogs/importview.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "gui/platform/fonts.h"
#include "gui/platform/formkit.h"
#include "gui/platform/ufcom.h"

namespace {

const QString kCaption = QStringLiteral("ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ");
const QString kColumns[] = {QStringLiteral("行"),       QStringLiteral("種別"), QStringLiteral("日時"),
                            QStringLiteral("繰り返し"), QStringLiteral("固定"), QStringLiteral("可変"),
                            QStringLiteral("結果")};
const QString kTake = QStringLiteral("取込");
const QString kCancel = QStringLiteral("ｷｬﾝｾﾙ");
const QString kCounts = QStringLiteral("取込 %1 件、除外 %2 件");
// Refused rows.
const QColor kRefusedColour(192, 0, 0);

}  // namespace

Import_Dialog::Import_Dialog(QWidget* mainWindow, const uFConf::ImportPlan& plan)
    : QDialog(mainWindow, uFCom_Bas::kFixedDialogFlags), mainWindow_(mainWindow)
{
    uFCom_Bas::DialogFrame(this, mainWindow_, QStringLiteral("Import_Dialog"), kCaption);
    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(mainWindow_);
    setFixedSize(kit.px(13800), kit.pxY(6600));

    Table1 = new QTableWidget(static_cast<int>(plan.rows.size()), ColCount, this);
    Table1->setObjectName(QStringLiteral("Table1"));
    kit.place(Table1, 120, 120, 13560, 5760);
    Table1->setFont(uFCom_Bas::gothicFont(9));
    Table1->setAccessibleName(kCaption);
    for (int c = 0; c < ColCount; ++c) Table1->setHorizontalHeaderItem(c, new QTableWidgetItem(kColumns[c]));
    Table1->verticalHeader()->setVisible(false);
    Table1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the buttons; the arrows move within it.
    Table1->setTabKeyNavigation(false);
    // Long parts and reasons wrap within their row rather than hide.
    Table1->setWordWrap(true);
    const int widths[] = {480, 840, 1680, 1740, 2640, 1440, 4200};
    for (int c = 0; c < ColCount; ++c) Table1->setColumnWidth(c, kit.px(widths[c]));
    Table1->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < plan.rows.size(); ++r) {
        const uFConf::ImportRow& row = plan.rows.at(r);
        const QStringList& f = row.fields;
        const QString rule = f.value(2).isEmpty() ? QString() : f.value(2) + QStringLiteral(" ") + f.value(3);
        const QString cells[] = {QString::number(row.line),        row.kind, f.value(1), rule, f.value(4), f.value(5),
                                 row.accepted ? kTake : row.reason};
        for (int c = 0; c < ColCount; ++c) {
            auto* item = new QTableWidgetItem(QString(cells[c]).replace(uFCom_Bas::kCRLF, QStringLiteral(" ")));
            item->setToolTip(cells[c]);
            if (!row.accepted) item->setForeground(kRefusedColour);
            Table1->setItem(r, c, item);
        }
    }

    Table1->resizeRowsToContents();

    Label1 =
        kit.label(this, QStringLiteral("Label1"), kCounts.arg(plan.accepted).arg(plan.refused), 120, 6000, 5000, 375);
    Label1->setFont(uFCom_Bas::gothicFont(9, true));
    Command1[0] = kit.button(this, QStringLiteral("Command1_0"), kTake, 10680, 6000, 1455, 375, QColor(128, 255, 255));
    Command1[1] = kit.button(this, QStringLiteral("Command1_1"), kCancel, 12225, 6000, 1455, 375);
    Command1[0]->setEnabled(plan.accepted > 0);
    Command1[1]->setDefault(true);
    connect(Command1[0], &QPushButton::clicked, this, &QDialog::accept);
    connect(Command1[1], &QPushButton::clicked, this, &QDialog::reject);
    uFCom_Bas::PlaceDialog(this, mainWindow_, nullptr, nullptr);
}
