#include "model/config/env.h"

#include <QFileInfo>

#include "core/instancelock.h"
#include "core/seam.h"
#include "model/config/myconf.h"
#include "model/platform/text.h"

namespace uFCom_Bas {

namespace {
void clearSlot(ProgEntry& e, int width, int height)
{
    e = ProgEntry{};
    e.FormWidth = width;
    e.FormHeight = height;
}
}  // namespace

QString ExeBaseName()
{
    return QString::fromStdString(seam::current<platform::ExecutableName>().baseName());
}

QString ConfCheckPath(const EnvRecord& env)
{
    const QString base = env.BasePath.isEmpty() ? QStringLiteral(".") : env.BasePath;
    return base + QStringLiteral("\\") + ExeBaseName() + QStringLiteral(".conf");
}

QString ConfPath(const EnvRecord& env)
{
    // The own entry, when listed, bears the executable's name anyway.
    const QString base = env.BasePath.isEmpty() ? QStringLiteral(".") : env.BasePath;
    return base + QStringLiteral("\\") + env.ConfDir + QStringLiteral("\\") + ExeBaseName() + QStringLiteral(".conf");
}

EnvRecord EnvInit(const QString& title)
{
    EnvRecord env;
    env.BasePath = QStringLiteral(".");
    env.ConfDir = QString();

    // Only a readable regular file counts; a folder of that name does not.
    const QString check = ConfCheckPath(env);
    const QFileInfo info(forwardSlashes(check));
    if (!info.exists() || !info.isFile() || !info.isReadable() || info.isHidden()) return env;

    for (int i = 0; i <= 31; ++i) clearSlot(env.Progs[i], 9, 13);
    clearSlot(env.Progs[32], 0, 0);
    env.ProgCount = 0;

    ProgEntry& rec = env.Progs[0];
    rec.ExeName = kRecorderExeName;
    rec.Title = kRecorderTitle;
    rec.WinCaption = rec.Title + QStringLiteral(" [") + rec.ExeName + QStringLiteral("]");
    env.ProgCount = 1;

    ProgEntry& own = env.Progs[1];
    own.ExeName = ExeBaseName();
    own.Title = title;
    own.WinCaption = own.Title + QStringLiteral(" [") + own.ExeName + QStringLiteral("]");
    env.ProgCount = 2;
    own.StyleName = QStringLiteral("NOMAL");
    own.FormTop = 1;
    own.FormLeft = 3;
    own.FormWidth = 8;
    own.FormHeight = 12;

    const QString value = ProfileGet(check, uFConf::kSectionFormStyle, uFConf::kKeyFormStyle);
    if (value.isEmpty()) return env;
    const QString text = trimSpaces(value);
    const QString comma = QStringLiteral(",");
    auto field = [&](int i, QString& out) {
        out = CsvFieldTrimmed(i, text, comma);
        return !out.isEmpty();
    };
    QString f;
    if (field(0, f)) own.StyleName = f;
    int* numbers[4] = {&own.FormTop, &own.FormLeft, &own.FormWidth, &own.FormHeight};
    for (int i = 0; i < 4; ++i) {
        if (field(i + 1, f) && isNumeric(f)) *numbers[i] = roundHalfEven(f);
    }
    return env;
}

QString FormStyleValue(const ProgEntry& e)
{
    const QString c = QStringLiteral(",");
    return e.StyleName + c + QString::number(e.FormTop) + c + QString::number(e.FormLeft) + c +
           QString::number(e.FormWidth) + c + QString::number(e.FormHeight) + c;
}

int ProgIndexGet(const EnvRecord& env, const QString& exeName)
{
    for (int i = 0; i < env.ProgCount && i < static_cast<int>(env.Progs.size()); ++i) {
        if (env.Progs[i].ExeName == exeName) return i;
    }
    return -1;
}

std::optional<ProgEntry> OwnEntry(const EnvRecord& env)
{
    const int i = ProgIndexGet(env, ExeBaseName());
    if (i < 0) return std::nullopt;
    return env.Progs[static_cast<size_t>(i)];
}

}  // namespace uFCom_Bas
