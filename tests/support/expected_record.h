#pragma once
// The notification record as the recorder expects it, written out field by
// field without the code under test.
#include <QByteArray>

namespace testsupport {

inline void putLe(QByteArray& b, int offset, qint32 v)
{
    const quint32 u = static_cast<quint32>(v);
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

inline QByteArray expectedRecord(int pid, const QByteArray& exe, const QByteArray& stamp, const QByteArray& t1,
                                 const QByteArray& t2)
{
    QByteArray b(800, '\0');
    putLe(b, 0, 88011);
    putLe(b, 4, 800);
    putLe(b, 32, pid);
    for (int i = 0; i < exe.size() && i < 31; ++i) b[36 + i] = exe[i];
    for (int i = 69; i < 100; ++i) b[i] = ' ';
    for (int i = 0; i < 17; ++i) b[100 + i] = stamp[i];
    putLe(b, 144, static_cast<qint32>(t1.size()));
    putLe(b, 148, static_cast<qint32>(t2.size()));
    for (int i = 0; i < t1.size(); ++i) b[152 + i] = t1[i];
    for (int i = 0; i < t2.size(); ++i) b[408 + i] = t2[i];
    return b;
}

}  // namespace testsupport
