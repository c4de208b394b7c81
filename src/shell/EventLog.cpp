#include "shell/EventLog.h"


#include "common/CodePage.h"
#include "common/Error.h"
#include "common/FileModes.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "data/FolderLock.h"
#include "common/TimeText.h"

#include <QFile>
#include <QFileInfo>

namespace lobrix::shell
{
namespace
{

// The log is text for people: a character Windows-1252 cannot hold becomes "?" rather
// than costing the whole entry.
QByteArray encodeForLog(const QString &text)
{
    QByteArray out;
    if (encode(CodePage::Cp1252, text, out))
        return out;
    out.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one "?" for the whole character
        QByteArray one;
        out.append(!c.isSurrogate() && encode(CodePage::Cp1252, QString(c), one) ? one
                                                                                 : QByteArray("?"));
    }
    return out;
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Lines as TextFile::splitLines counts them, without splitting.
qsizetype countLines(const QByteArray &bytes)
{
    qsizetype lines = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (!isLineEnd(bytes.at(i)))
            continue;
        ++lines;
        if (bytes.at(i) == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
    }
    if (n > 0 && !isLineEnd(bytes.back()))
        ++lines;
    return lines;
}

bool appendOnce(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    const bool isNew = !file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    // A new log gets its folder's mode, not the umask's: the other accounts write it too.
    if (isNew)
        FileModes::settle(path);
    const qint64 before = file.size();
    if (file.write(bytes) == bytes.size() && file.flush())
        return true;
    file.resize(before); // no half entry stays behind
    return false;
}

bool replaceOnce(const QString &path, const QByteArray &bytes)
{
    try {
        TextFile::writeBytes(path, bytes);
        return true;
    } catch (const Error &) {
        return false;
    }
}

} // namespace

EventLog::EventLog(QString databaseFolder, UserNameSource currentUserName, const Clock &clock)
    : m_folder(std::move(databaseFolder)), m_userName(std::move(currentUserName)), m_clock(clock)
{
}

QString EventLog::path() const
{
    return data::DbfTable::resolve(m_folder, QString::fromLatin1(FileName));
}

QString EventLog::entryLine(const QString &eventText) const
{
    QString line = CurrentDateText(m_clock) + u' ' +
                   CurrentTimeWithSecondsText(m_clock) + QStringLiteral(": ") +
                   m_userName() + QStringLiteral(" --> ") + eventText;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line;
}

void EventLog::writeEventLog(const QString &eventText) const
{
    const QString file = path();
    const QByteArray entry = encodeForLog(entryLine(eventText));

    // Every workstation appends and drops the oldest line under the same lock, so no
    // rewrite puts back a file without another workstation's entry. Without the lock an
    // entry is still appended (an append loses nothing), but the file is not rewritten.
    data::FolderLock::Guard guard;
    try {
        guard = data::FolderLock(m_folder, data::FolderLock::Resource::EventLog).tryAcquire(LockTimeoutMs);
    } catch (const Error &) {
    }

    bool readable = false;
    const QByteArray old = TextFile::readBytes(file, &readable);

    QByteArray bytes;
    bool (*write)(const QString &, const QByteArray &) = appendOnce;
    if (guard.acquired() && readable && countLines(old) >= MaxLines) {
        QList<QByteArray> lines = TextFile::splitLines(old);
        lines.removeFirst();
        lines.append(entry);
        bytes = TextFile::joinLines(lines);
        write = replaceOnce;
    } else {
        // A file that cannot be read is still appended to if the system allows it (never
        // replaced by what little we know); a missing file is created by the first entry.
        if (!old.isEmpty() && !isLineEnd(old.back()))
            bytes = "\r\n";
        bytes += entry + "\r\n";
    }
    for (int i = 0; i < WriteAttempts; ++i)
        if (write(file, bytes))
            return;
}

} // namespace lobrix::shell
