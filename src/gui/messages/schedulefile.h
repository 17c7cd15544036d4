#pragma once
// ｽｹｼﾞｭｰﾙのｴｸｽﾎﾟｰﾄ... and ｽｹｼﾞｭｰﾙのｲﾝﾎﾟｰﾄ... of the main window's menu: the
// schedule and the fixed-form list written to a CSV file the operator
// chooses, and a CSV file read, shown row by row with what becomes of each,
// and applied in one save only on 取込.
#include <QString>
#include <functional>

class QWidget;
namespace uFConf {
class MyConf;
}

namespace uFMsg {

class ScheduleFile {
public:
    // form: owner of the dialogs and head line; head: the status prefix.
    ScheduleFile(QWidget* form, uFConf::MyConf* conf, std::function<QString()> head)
        : form_(form), conf_(conf), head_(std::move(head))
    {}
    void Export();
    void Import();

private:
    void show(const QString& line, bool failed);
    QWidget* form_;
    uFConf::MyConf* conf_;
    std::function<QString()> head_;
};

}  // namespace uFMsg
