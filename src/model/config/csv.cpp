#include "model/config/csv.h"

#include <QStringDecoder>

#include "model/platform/text.h"

namespace uFConf {

namespace {

const QChar kQuote(QLatin1Char('"'));
const QChar kComma(QLatin1Char(','));
const QChar kCR(QLatin1Char('\r'));
const QChar kLF(QLatin1Char('\n'));

bool validUtf8(const QByteArray& bytes)
{
    // decode() only decodes once its result becomes a string.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return !utf8.hasError();
}

}  // namespace

QList<CsvRecord> CsvRead(const QByteArray& bytes, CsvEncoding* encoding)
{
    QString text;
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom || validUtf8(bytes)) {
        text = QString::fromUtf8(bom ? bytes.mid(3) : bytes);
        if (encoding) *encoding = CsvEncoding::Utf8;
    } else {
        text = uFCom_Bas::fromAnsi(bytes);
        if (encoding) *encoding = CsvEncoding::Cp932;
    }

    QList<CsvRecord> records;
    CsvRecord record;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the field began with a quote
    bool anything = false;   // the record has a character
    int line = 1;
    record.line = line;
    auto endField = [&]() {
        record.fields << field;
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&]() {
        endField();
        if (anything) records << record;
        record = CsvRecord();
        anything = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == kQuote) {
                if (i + 1 < text.size() && text.at(i + 1) == kQuote) {
                    field += kQuote;
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (c == kCR || c == kLF) {
                // A line break inside the field, whichever way it is written.
                if (c == kCR && i + 1 < text.size() && text.at(i + 1) == kLF) ++i;
                field += uFCom_Bas::kCRLF;
                ++line;
            } else {
                field += c;
            }
            continue;
        }
        if (c == kCR || c == kLF) {
            if (c == kCR && i + 1 < text.size() && text.at(i + 1) == kLF) ++i;
            endRecord();
            record.line = ++line;
            continue;
        }
        anything = true;
        if (c == kComma) {
            endField();
        } else if (c == kQuote && field.isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
        } else {
            field += c;
        }
    }
    endRecord();
    return records;
}

QByteArray CsvWrite(const QList<QStringList>& records)
{
    QString out;
    for (const QStringList& r : records) {
        QStringList fields;
        for (const QString& f : r) {
            const bool quote = f.contains(kComma) || f.contains(kQuote) || f.contains(kCR) || f.contains(kLF) ||
                               (!f.isEmpty() && (f.front() == QLatin1Char(' ') || f.back() == QLatin1Char(' ')));
            if (!quote) {
                fields << f;
                continue;
            }
            QString q = f;
            q.replace(kQuote, QStringLiteral("\"\""));
            fields << kQuote + q + kQuote;
        }
        out += fields.join(kComma) + uFCom_Bas::kCRLF;
    }
    return uFCom_Bas::toAnsi(out);
}

}  // namespace uFConf
