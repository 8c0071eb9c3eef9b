#include "panes/FileIcons.h"

#include "window/IconKeys.h"

#include <QHash>

namespace {
struct FileTypeGroup
{
    const char *iconKey;
    std::initializer_list<const char *> endings;
};

// Each ending is exactly four characters: "HTML" needs no dot and so also
// matches ".shtml".
const FileTypeGroup groups[] = {
    {"TextFile", {".TXT"}},
    {"ZipFile", {".ZIP", ".ARJ", ".TGZ", ".TAR", ".LZH", ".LZA", ".CAB"}},
    {"RarFile", {".RAR"}},
    {"ExeFile", {".EXE", ".COM", ".BAT"}},
    {"ImageFile", {".JPG", ".BMP", ".GIF", ".PNG", ".PCX"}},
    {"HelpFile", {".HLP", ".CHM"}},
    {"HtmlFile", {".HTM", "HTML", ".MHT"}},
    {"DllFile", {".DLL", ".SYS", ".VXD"}},
    {"IniFile", {".INI", ".INF"}},
    {"Word", {".WRI", ".RTF", ".DOC", ".DOT", ".WPS"}},
    {"Excel", {".XLS", ".XLA", ".XLM", ".XLC"}},
    {"Access", {".MDB", ".MDW", ".MDE", ".DBF"}},
    {"Powerpnt", {".PPT", ".PPS", ".POT", ".PPA"}},
    {"MediaFile", {".AVI", ".WAV", ".WMV", ".ASF", ".WMA", ".MPG", ".MP3", ".M3U", ".MID"}},
    {"ISO", {".ISO", ".DAO", ".IMG", ".MDF", ".TAO", ".VCD", ".NRG", ".IMA"}},
    {"Font", {".TTF", ".FON", ".TTC"}},
};

const QHash<QString, QString> &iconKeysByEnding()
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> byEnding;
        for (const FileTypeGroup &group : groups)
            for (const char *ending : group.endings)
                byEnding.insert(QString::fromLatin1(ending), QString::fromLatin1(group.iconKey));
        return byEnding;
    }();
    return table;
}
} // namespace

QString FileTypeIconKey(const QString &name)
{
    const QString ending = QStringView(name).right(4).toString().toUpper();
    return iconKeysByEnding().value(ending, IconKey::File);
}
