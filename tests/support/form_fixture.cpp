#include "form_fixture.h"

#include <QRect>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/appicon.h"
#include "app/form1.h"
#include "config/env.h"
#include "headline/headline.h"
#include "platform/core/datetime.h"
#include "platform/ufcom.h"
#include "recorder/recorder.h"

namespace testsupport {

namespace {
int g_counter = 0;
}

void MainWindowTest::SetUp()
{
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    exe_ = QStringLiteral("%1%2x%3").arg(QString::fromLatin1(stem_)).arg(::getpid()).arg(g_counter++);
    uFCom_Bas::setExeNameForTest(exe_);
    uFCom_Bas::setRecorderWindowProbeForTest([](const QString&) { return false; });
    uFCom_Bas::setWorkAreaForTest(QRect(0, 0, 1280, 738));
    uFHLabel_Bas::resetForTest();
    ended_ = 0;
    Form1::setProcessEndHandler([this]() { ++ended_; });
}

void MainWindowTest::TearDown()
{
    deleteWindow();
    ::chmod(conf().c_str(), 0644);
    Form1::setProcessEndHandler({});
    uFCom_Bas::setRecorderWindowProbeForTest({});
    uFCom_Bas::setWorkAreaForTest(QRect());
    uFCom_Bas::setTrayAvailableForTest(-1);
    uFCom_Bas::setExeNameForTest(QString());
    uFCom_Bas::EnvResetForTest();
    platform::setClockSource({});
    std::filesystem::current_path(old_);
}

bool MainWindowTest::loadWindow(const std::string& confBytes)
{
    writeFile(conf(), confBytes);
    uFCom_Bas::EnvResetForTest();
    uFCom_Bas::EnvInit("ｳﾞｪﾙﾓﾗ");
    form_ = new Form1;
    return form_->Form_Load("ｳﾞｪﾙﾓﾗ [" + exe_ + "]", uFCom_Bas::programIcon());
}

void MainWindowTest::deleteWindow()
{
    delete form_;
    form_ = nullptr;
}

}  // namespace testsupport
