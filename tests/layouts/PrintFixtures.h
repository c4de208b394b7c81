#pragma once
// Settings, layouts and a visit for the printing tests.
#include "layouts/LayoutFields.h"
#include "layouts/LayoutFile.h"
#include "layouts/PrintedVisit.h"
#include "common/IniFile.h"

#include <QDir>
#include <QList>
#include <QMetaType>
#include <QString>
#include <utility>

namespace lobrix::test {

// "Section/Key" -> value, written into settings.ini in this order.
using PrintSettings = QList<std::pair<QString, QString>>;

inline void writePrintSettings(const QString &startFolder, const PrintSettings &settings)
{
    IniFile ini(QDir(startFolder).filePath(QStringLiteral("settings.ini")));
    for (const auto &[key, value] : settings)
        ini.writeString(key.section(u'/', 0, 0), key.section(u'/', 1), value);
}

inline layouts::LayoutLabel printLabel(int slot, int left, int top, const QString &caption,
                                       const char *feld = "")
{
    layouts::LayoutLabel l;
    l.slot = slot;
    l.left = left;
    l.top = top;
    l.caption = caption;
    l.feld = QString::fromLatin1(feld);
    l.fontSize = 12;
    return l;
}

inline void writePrintLayout(const QString &path, layouts::LayoutFamily family, bool portrait,
                             const QList<layouts::LayoutLabel> &labels)
{
    layouts::Layout layout;
    layout.family = family;
    layout.portrait = portrait;
    layout.labels = labels;
    layouts::LayoutFile(path, family).create(layout);
}

inline layouts::PrintedVisit printedVisit()
{
    namespace f = layouts::fields;
    layouts::PrintedVisit visit;
    const auto set = [&](const char *key, const char *text) {
        visit.values.set(QString::fromLatin1(key), QString::fromUtf8(text));
    };
    set(f::Name, "Müller");
    set(f::Vorname, "Jürgen");
    set(f::Firma, "Straßenbau Öhringen");
    set(f::Ausweis, "17");
    set(f::VORGANG, "4711");
    set(f::Kommt, "08:15");
    set(f::NUTZER, "Pforte");
    return visit;
}

} // namespace lobrix::test

Q_DECLARE_METATYPE(lobrix::test::PrintSettings)
