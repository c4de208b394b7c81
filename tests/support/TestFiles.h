#pragma once
// Raw file access for the file tests: fixtures are written and checked byte for
// byte, independent of the code under test.
#include "common/Error.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <optional>

namespace lobrix::test {

inline bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The message of the lobrix::Error that `action` throws, or nothing if it throws none.
template <typename Action> std::optional<QString> errorOf(Action &&action)
{
    try {
        action();
    } catch (const Error &e) {
        return e.message();
    }
    return std::nullopt;
}

// Entries of a folder apart from "." and "..", sorted.
inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace lobrix::test
