#pragma once
// A main window loaded in a fresh working folder, as the program would start
// there: a unique executable name (so its mailslot meets no running copy),
// no recorder, a 1280 x 738 work area, and a process end that only counts.
#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <string>

#include "test_support.h"

class Form1;

namespace testsupport {

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

    TempDir dir_;
    QString exe_;
    Form1* form_ = nullptr;
    int ended_ = 0;

private:
    const char* stem_;
    std::filesystem::path old_;
};

}  // namespace testsupport
