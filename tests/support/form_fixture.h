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

#include "fakes.h"
#include "gui/platform/timer.h"
#include "gui_fakes.h"
#include "test_support.h"

class Form1;
class QListWidget;
class QTableWidget;
class QPushButton;

namespace testsupport {

// The program's clock, set and moved by a test (local time, no summer time).
class FakeClock : public platform::Clock {
public:
    explicit FakeClock(const QDateTime& start) : now_(start) {}
    void set(const QDateTime& t) { now_ = t; }
    void advance(qint64 ms) { now_ = now_.addMSecs(ms); }
    QDateTime reading() const { return now_; }
    platform::LocalTime now() override;

private:
    QDateTime now_;
    seam::Use<platform::Clock> use_{*this};
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
    // A key of the window's configuration file, as the program reads it.
    QString get(const QString& section, const QString& key) const;
    // The rows of a list, and the cells of a table's column, as shown.
    static QStringList items(const QListWidget* list);
    static QStringList column(const QTableWidget* table, int c);
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

    // The stand-ins the window meets: its own name, no recorder, a 1280 x
    // 738 work area, a process end that only counts, answers set by answer().
    FakeExeName exeName_{std::string()};
    FakeWindowSearch noRecorder_{false};
    FakeWorkArea workArea_{QRect(0, 0, 1280, 738)};
    FakeProcessEnd processEnd_{[this](int status) {
        ++ended_;
        exitStatus_ = status;
    }};
    FakeAnswerer answerer_;

private:
    const char* stem_;
    std::filesystem::path old_;
};

}  // namespace testsupport
