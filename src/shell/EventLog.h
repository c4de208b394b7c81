#pragma once
// The event log BesucherLog.log in the database folder, shared by all workstations: one
// line per entry, "DD.MM.YYYY HH:MM:SS: user --> event text", Windows-1252 with CR LF,
// at most 10001 lines (the oldest line goes first once the file has that many).
//
// Logging never stops the action that logs: a log that cannot be read or written is
// passed over without a word.
#include <QString>
#include <functional>

namespace lobrix
{
class Clock;
}

namespace lobrix::shell
{

class EventLog
{
public:
    static constexpr int MaxLines = 10001;
    static constexpr int WriteAttempts = 3;
    static constexpr char FileName[] = "BesucherLog.log";
    // How long an entry waits for another workstation's entry before it only appends.
    static constexpr int LockTimeoutMs = 5000;

    using UserNameSource = std::function<QString()>;

    // `currentUserName` is asked at every entry (the user logs in after the log exists).
    // The clock must outlive the log.
    EventLog(QString databaseFolder, UserNameSource currentUserName, const Clock &clock);

    // Adds one entry with the current date, time and user name. While the file is below
    // the limit the entry is appended, so that entries of other workstations written in
    // the meantime are kept; at the limit the file is rewritten without its first line.
    // Up to three attempts; if all fail the file keeps its previous content.
    void writeEventLog(const QString &eventText) const;

    // The entry as it goes into the file, without the line end. Line breaks in the text
    // become spaces so that an entry is always one line.
    QString entryLine(const QString &eventText) const;

    // BesucherLog.log in the database folder, found without regard to case.
    QString path() const;

private:
    QString m_folder;
    UserNameSource m_userName;
    const Clock &m_clock;
};

} // namespace lobrix::shell
