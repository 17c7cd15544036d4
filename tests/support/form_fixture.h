#pragma once
// A main window loaded in a fresh working folder, as the program would start
// there: a unique executable name (so its mailslot meets no running copy),
// no recorder, a 1280 x 738 work area, and a process end that only counts.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <string>

#include "test_support.h"

class Form1;
class QListWidget;
class QPushButton;

namespace testsupport {

// The program's clock, set and moved by a test (local time, no summer time).
class FakeClock {
public:
    explicit FakeClock(const QDateTime& start);
    ~FakeClock();
    void set(const QDateTime& t);
    void advance(qint64 ms);
    QDateTime now() const;

private:
    std::shared_ptr<QDateTime> now_;
};

class MainWindowTest : public ::testing::Test {
protected:
    explicit MainWindowTest(const char* stem) : stem_(stem) {}
    void SetUp() override;
    void TearDown() override;

    // The window's configuration file.
    std::string conf() const { return dir_.file(exe_.toStdString() + ".conf"); }
    QString confQ() const { return QString::fromStdString(conf()); }
    // Writes the file (bytes as given), fills the environment and loads the
    // window; false when the load did not complete.
    bool loadWindow(const std::string& confBytes);
    void deleteWindow();

    // The status lines shown since the last call, oldest first, without
    // their time stamps.
    QStringList lines();
    // Types into 固定ﾒｯｾｰｼﾞ and 可変ﾒｯｾｰｼﾞ.
    void type(const QString& fixed, const QString& variable = QString());
    static void click(QPushButton* b);
    // A click on a row as the mouse makes it.
    static void clickRow(QListWidget* list, int row, Qt::MouseButton button = Qt::LeftButton);
    // Answers the next question with OK (true) or ｷｬﾝｾﾙ; question_ gets
    // its title and text ("title|text").
    void answer(bool ok);
    QString question_;

    TempDir dir_;
    QString exe_;
    Form1* form_ = nullptr;
    int ended_ = 0;
    int exitStatus_ = -1;

private:
    const char* stem_;
    std::filesystem::path old_;
};

}  // namespace testsupport
