#include "model/platform/text.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/cp932.h"
#include "core/ini.h"

namespace uFCom_Bas {

QByteArray toAnsi(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::string bytes = platform::utf8ToCp932(std::string_view(utf8.constData(), utf8.size()));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString fromAnsi(const QByteArray& bytes)
{
    const std::string utf8 = platform::cp932ToUtf8(std::string_view(bytes.constData(), bytes.size()));
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

int AnsiByteLen(const QString& text)
{
    return static_cast<int>(toAnsi(text).size());
}

QString trimSpaces(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b) == QLatin1Char(' ')) ++b;
    while (e > b && text.at(e - 1) == QLatin1Char(' ')) --e;
    return text.mid(b, e - b);
}

bool isNumeric(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    return re.match(text).hasMatch();
}

int roundHalfEven(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || std::isnan(v)) return 0;
    const double r = std::nearbyint(v);  // default rounding mode: halves to even
    if (r > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (r < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

namespace {
std::string pathBytes(const QString& file)
{
    return trimSpaces(file).toUtf8().toStdString();
}
std::string ansiBytes(const QString& text)
{
    return toAnsi(text).toStdString();
}
}  // namespace

QString ProfileGet(const QString& file, const QString& section, const QString& key)
{
    std::string value = platform::ini::profileGet(pathBytes(file), ansiBytes(section), ansiBytes(key));
    const auto nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    if (value.empty()) return QString();
    return fromAnsi(QByteArray(value.data(), static_cast<qsizetype>(value.size())));
}

int ProfilePut(const QString& file, const QString& section, const QString& key, const QString& value)
{
    std::optional<std::string> v;
    if (!(value.isEmpty() || value == QString(QChar(0)))) v = ansiBytes(value);
    return platform::ini::profilePut(pathBytes(file), ansiBytes(section), ansiBytes(key), v) < 0 ? -1 : 0;
}

QString TokenNext(QString& rest, const QString& delimiter)
{
    if (rest.isEmpty()) return QString();
    const qsizetype at = delimiter.isEmpty() ? -1 : rest.indexOf(delimiter, 0, Qt::CaseSensitive);
    if (at < 0) {
        QString token = rest;
        rest.clear();
        return token;
    }
    QString token = rest.left(at);
    rest = rest.mid(at + delimiter.size());
    return token;
}

QString CsvFieldGet(int index, const QString& text, const QString& delimiter)
{
    if (text.isEmpty()) return QString();
    QString rest = trimSpaces(text);
    for (int count = 0;; ++count) {
        const QString token = TokenNext(rest, delimiter);
        // Nothing left: a trailing delimiter makes no empty last field.
        if (token.isEmpty() && rest.isEmpty()) return kFieldMissing;
        if (count == index) return token;
        if (count == std::numeric_limits<int>::max()) return kFieldMissing;
    }
}

QString CsvFieldTrimmed(int index, const QString& text, const QString& delimiter)
{
    const QString f = CsvFieldGet(index, text, delimiter);
    return f == kFieldMissing ? QString() : trimSpaces(f);
}

QString StrPad(const QString& format, const QString& value)
{
    const QString trimmed = trimSpaces(value);
    if (format.isEmpty()) return trimmed;
    const QChar side = format.at(0);
    const QString rest = format.mid(1);
    const int n = isNumeric(rest) ? roundHalfEven(rest) : 0;
    if (n <= 0) return trimmed;
    if (side == QLatin1Char('R')) {
        const QString padded = QString(n, QLatin1Char(' ')) + trimmed;
        return padded.right(n);
    }
    if (side == QLatin1Char('L')) {
        const QString padded = trimmed + QString(n, QLatin1Char(' '));
        return padded.left(n);
    }
    return trimmed;
}

QString forwardSlashes(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

}  // namespace uFCom_Bas
