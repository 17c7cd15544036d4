#pragma once
// Comma-separated files as spreadsheets write them (RFC 4180): a quoted
// field may hold commas, quotes (doubled) and line breaks.  Read from the
// code page of Japanese Windows (CP932) or UTF-8, with or without a byte
// order mark, with CRLF or LF line ends; written in CP932 with CRLF.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace uFConf {

struct CsvRecord {
    // The line the record starts on (1 for the first).
    int line = 0;
    QStringList fields;
};

// How the bytes were read.
enum class CsvEncoding { Utf8, Cp932 };

// The records of a file's bytes: UTF-8 when they start with its byte order
// mark or are valid UTF-8, else CP932.  (CP932 text of ASCII and a few
// half-width katakana pairs alone can be valid UTF-8 and reads as such; a
// kanji, as in the header row of an export, settles it.)  A line break inside a quoted field
// is kept as CR LF; blank lines are no records.  An unterminated quote runs
// to the end of the bytes.
QList<CsvRecord> CsvRead(const QByteArray& bytes, CsvEncoding* encoding = nullptr);
// The file's bytes for the records: CP932, CRLF, a field quoted when it
// holds a comma, a quote, a line break or spaces at its ends.
QByteArray CsvWrite(const QList<QStringList>& records);

}  // namespace uFConf
