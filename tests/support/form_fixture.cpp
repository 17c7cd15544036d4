#include "form_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "gui/platform/appicon.h"
#include "app/form1.h"
#include "model/config/env.h"
#include "gui/dialogs/msgbox.h"
#include "gui/headline/headline.h"
#include "gui/platform/ufcom.h"

namespace testsupport {

namespace {
int g_counter = 0;
}

void MainWindowTest::SetUp()
{
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    exe_ = QStringLiteral("%1%2x%3").arg(QString::fromLatin1(stem_)).arg(::getpid()).arg(g_counter++);
    exeName_.set(exe_.toStdString());
}

void MainWindowTest::TearDown()
{
    deleteWindow();
    ::chmod(conf().c_str(), 0644);
    std::filesystem::current_path(old_);
}

bool MainWindowTest::loadWindow(const std::string& confBytes)
{
    writeFile(conf(), confBytes);
    form_ = new Form1(uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ"));
    return form_->Form_Load("ｳﾞｪﾙﾓﾗ [" + exe_ + "]", uFCom_Bas::programIcon());
}

QString MainWindowTest::get(const QString& section, const QString& key) const
{
    return uFCom_Bas::ProfileGet(confQ(), section, key);
}

QStringList MainWindowTest::items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

QStringList MainWindowTest::column(const QTableWidget* table, int c)
{
    QStringList out;
    for (int r = 0; r < table->rowCount(); ++r) out << table->item(r, c)->text();
    return out;
}

platform::LocalTime FakeClock::now()
{
    const QDate d = now_.date();
    const QTime t = now_.time();
    return platform::LocalTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
}

QStringList MainWindowTest::lines()
{
    // The lines waiting for their turn come in as their time comes.
    if (auto* head = uFHLabel_Bas::HeadLine::of(form_))
        while (head->waiting() > 0) form_->HeadMsgTimer->fire();
    uFHLabel_Bas::HeadMsgShow(form_, uFHLabel_Bas::HeadMode::Clear, -1, QString(), QString());
    QStringList out;
    for (int i = form_->Head_Combo->count() - 1; i >= 1; --i) {
        const QString t = form_->Head_Combo->itemText(i);
        out << t.mid(t.indexOf(']') + 1);
    }
    form_->Head_Combo->clear();
    form_->Head_Combo->addItem(QString());
    return out;
}

void MainWindowTest::type(const QString& fixed, const QString& variable)
{
    form_->Text1->setPlainText(fixed);
    form_->Text2->setPlainText(variable);
}

void MainWindowTest::click(QPushButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton);
}

void MainWindowTest::clickRow(QListWidget* l, int row, Qt::MouseButton button)
{
    l->scrollToItem(l->item(row));
    QTest::mouseClick(l->viewport(), button, {}, l->visualItemRect(l->item(row)).center());
}

void MainWindowTest::answer(bool ok)
{
    question_.clear();
    // The next question only; any later one is the box's again.
    answerer_.next([this, ok](const MsgBox_Dialog& box) {
        question_ = box.windowTitle() + "|" + box.Text1->toPlainText();
        return ok ? 1 : -1;
    });
}

void MainWindowTest::deleteWindow()
{
    delete form_;
    form_ = nullptr;
}

}  // namespace testsupport
