#pragma once
// What the running program does with the requests of other programs on its
// own mailslot (uPVelmora-ctl): add, list, remove, import, export, each
// through the schedule's and the configuration's own operations, saved at
// once and ending in the status line an operator's click would give; the
// answer goes to the slot the request names.  Requests are taken one at a
// time, in order, from the event loop; a malformed one, or one whose reply
// slot does not exist, is dropped and said on standard error.
#include <QByteArray>
#include <QString>
#include <functional>

#include "model/recorder/requests.h"

class QWidget;
namespace uFConf {
class MyConf;
}

namespace uFCom_Bas {

class RequestServer {
public:
    struct Services {
        std::function<QString()> head;       // the status prefix
        std::function<QString(int)> keyMsg;  // a numbered line, prefix included
    };
    // form: whose head line shows the status lines.
    RequestServer(QWidget* form, uFConf::MyConf* conf, QString exeName, Services s);

    // One record of the own slot; answers once a request is whole.
    void handle(const QByteArray& record);

    // The reply's result and status line, and its body.
    struct Reply {
        bool done = false;
        QString status;
        QByteArray body;
        // Why the request is dropped without an answer; null when answered.
        const char* dropped = nullptr;
    };
    // A whole request's fields performed.
    Reply perform(const QList<QByteArray>& fields);

private:
    Reply add(const QList<QByteArray>& args);
    Reply remove(const QList<QByteArray>& args);
    Reply list(bool csv) const;
    Reply import(const QByteArray& csv, bool dryRun);
    Reply exportCsv() const;
    // Shows line on the head line, as the operator's operation would.
    void show(const QString& line) const;
    void say(const char* why, const MessagePart& part) const;

    QWidget* form_;
    uFConf::MyConf* conf_;
    QString exeName_;
    Services s_;
    MessageAssembler assembler_;
};

}  // namespace uFCom_Bas
