#pragma once
// The environment record of a run: where the configuration file lies and
// the small program table (the recorder and this program).  The start-up
// reads it once and hands it to what needs it.
#include <QString>
#include <array>
#include <optional>

namespace uFCom_Bas {

struct ProgEntry {
    QString ExeName;
    QString Title;
    QString WinCaption;
    QString StyleName;
    int FormTop = 0;
    int FormLeft = 0;
    int FormWidth = 0;
    int FormHeight = 0;
};

struct EnvRecord {
    QString BasePath;
    QString ConfDir;
    int ProgCount = 0;
    std::array<ProgEntry, 33> Progs{};
};

inline const QString kRecorderExeName = QStringLiteral("uPCorvane");
inline const QString kRecorderTitle = QStringLiteral("ｺｰｳﾞｪｲﾝ");

// The record for this run: the table holds the recorder and this program
// (named title) when the file ConfCheckPath names is there, and is empty
// otherwise.
EnvRecord EnvInit(const QString& title);
int ProgIndexGet(const EnvRecord& env, const QString& exeName);
// This program's entry of the table (the one named after the running
// executable); none when the table does not list it.
std::optional<ProgEntry> OwnEntry(const EnvRecord& env);

// The window style as the file stores it (Section_FormStyle, FormStyle):
// "style,top,left,width,height,", as EnvInit reads it back.
QString FormStyleValue(const ProgEntry& entry);

// The running executable's base name (no folder, no extension).
QString ExeBaseName();

// The configuration file as every reader and writer names it:
// BasePath \ ConfDir \ ExeName .conf
QString ConfPath(const EnvRecord& env);
// The file EnvInit checks for: BasePath \ ExeName .conf
QString ConfCheckPath(const EnvRecord& env);

}  // namespace uFCom_Bas
