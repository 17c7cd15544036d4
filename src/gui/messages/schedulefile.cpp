#include "gui/messages/schedulefile.h"

#include <QFile>
#include <QSaveFile>

#include "core/seam.h"
#include "gui/dialogs/importview.h"
#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/platform/filechooser.h"
#include "model/config/exchange.h"
#include "model/messages/statustexts.h"

namespace uFMsg {

namespace {

const QString kExportCaption = QStringLiteral("ｽｹｼﾞｭｰﾙのｴｸｽﾎﾟｰﾄ");
const QString kImportCaption = QStringLiteral("ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ");
const QString kFilter = QStringLiteral("CSV (*.csv);;* (*)");
const QString kSuggested = QStringLiteral("uPVelmora.csv");
constexpr int kDoneColour = uFCom_Bas::kColourLightYellow;
constexpr int kFailedColour = uFCom_Bas::kColourLightRed;

}  // namespace

void ScheduleFile::show(const QString& line, bool failed)
{
    uFHLabel_Bas::HeadMsgShow(form_, uFHLabel_Bas::HeadMode::Show,
                              uFCom_Bas::ColorGet(failed ? kFailedColour : kDoneColour), line, QString());
}

void ScheduleFile::Export()
{
    if (!conf_) return;
    const QString path = seam::current<uFCom_Bas::FileChooser>().toWrite(form_, kExportCaption, kSuggested, kFilter);
    if (path.isEmpty()) return;
    const uFConf::ExportFile csv = uFConf::ExportCsv(conf_->schedule(), conf_->entries());
    // Written whole or not at all.
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(csv.bytes) == csv.bytes.size() && file.commit();
    const QString head = head_ ? head_() : QString();
    if (!written) {
        show(head + kFileAccessNG + kFileAccessNGTail, true);
        return;
    }
    show(head + uFConf::ExportedText(csv.rows), false);
}

void ScheduleFile::Import()
{
    if (!conf_) return;
    const QString path = seam::current<uFCom_Bas::FileChooser>().toRead(form_, kImportCaption, kFilter);
    if (path.isEmpty()) return;
    const QString head = head_ ? head_() : QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        show(head + kFileAccessNG + uFConf::kFileUnreadable, true);
        return;
    }
    const QByteArray bytes = file.readAll();
    const uFConf::ImportPlan plan =
        uFConf::PlanImport(bytes, conf_->schedule(), conf_->entries(), DueMinute::current());
    Import_Dialog dialog(form_, plan);
    if (dialog.exec() != QDialog::Accepted) return;
    // The rows as shown; one a due check has meanwhile made impossible
    // counts as refused.
    const uFConf::ImportResult done = uFConf::ApplyImport(plan, *conf_, DueMinute::current());
    if (done.saved) show(head + uFConf::ImportedText(done.taken, done.refused), false);
}

}  // namespace uFMsg
