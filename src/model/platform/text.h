#pragma once
// Text helpers of the platform layer on QString, with Qt's core alone: the
// ANSI code page, trimming, numbers, comma fields, padding and the profile
// (INI) calls one key at a time.
#include <QByteArray>
#include <QString>

namespace uFCom_Bas {

// The line break of the program's texts, boxes and records.
inline const QString kCRLF = QStringLiteral("\r\n");

// The field-beyond-the-end marker of CsvFieldGet.
inline const QString kFieldMissing = QString(QChar(0x03));

// Text <-> the ANSI code page (CP932).
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);
int AnsiByteLen(const QString& text);

// Trims ASCII spaces only, at both ends.
QString trimSpaces(const QString& text);

// A path as the program writes it (BasePath \ ConfDir \ name) in the form
// the file calls take: every '\' read as '/'.
QString forwardSlashes(QString path);
// The whole text is a decimal number (sign, digits, optional fraction).
bool isNumeric(const QString& text);
// Rounds a numeric text to the nearest integer, halves to even.
int roundHalfEven(const QString& text);

// One key of an INI file per call.
QString ProfileGet(const QString& file, const QString& section, const QString& key);
// 0 on success, -1 on failure; an empty value, or one NUL, deletes the key.
int ProfilePut(const QString& file, const QString& section, const QString& key, const QString& value);

QString TokenNext(QString& rest, const QString& delimiter);
QString CsvFieldGet(int index, const QString& text, const QString& delimiter);
// A field as the readers use it: trimmed of spaces, and empty when the text
// has no such field.
QString CsvFieldTrimmed(int index, const QString& text, const QString& delimiter);
QString StrPad(const QString& format, const QString& value);

}  // namespace uFCom_Bas
