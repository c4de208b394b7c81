#pragma once
// The pool of physical visitor badges, Ausweis.dbf in the database folder: one row per
// badge, free while its Kommt holds the free marker "25:00", otherwise out since the
// arrival time and date in Kommt and Tag. Rows are used in their stored order.
//
// Every operation reads the table anew, since other workstations change it.
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace lobrix::shell {
class EventLog;
}

namespace lobrix::registration {

// One row of Ausweis.dbf as it is stored.
struct BadgeRow {
    int recno = -1;
    int number = 0; // 0 when the row holds no badge number
    QString kommt;
    QString tag;
};

class BadgePool {
public:
    static constexpr char FreeMarker[] = "25:00";
    static constexpr int PersonalNumberLimit = 5000;

    // Rows read so far and all rows; called whenever the whole percentage changes.
    using Progress = std::function<void(int done, int total)>;

    BadgePool(QString databaseFolder, const shell::EventLog &log);

    // The progress label while the pool is read: " 42%  Moment bitte ...".
    static QString progressText(int done, int total);

    // All rows in stored order; rows without a badge number are left out.
    QList<BadgeRow> rows(const Progress &progress = {}) const;
    // The numbers of the free rows in stored order.
    QList<int> listFreeBadges(const Progress &progress = {}) const;
    std::optional<int> firstFreeBadge() const;
    // Anything but exactly the free marker is out, also an empty Kommt.
    static bool isBadgeOut(const BadgeRow &row);
    // The first row carrying the number.
    std::optional<BadgeRow> find(int number) const;

    // Marks the badge as handed out / returns it to the pool and writes the log line.
    // False (nothing changed, nothing logged) when no row carries the number. With
    // `deferredLog` the line is handed back instead of written, for a save that writes it
    // after lines of its own.
    bool occupyBadge(int number, const QString &arrivalTime, const QString &arrivalDate,
                     const QString &visitNumber, QString *deferredLog = nullptr) const;
    bool releaseBadge(int number, const QString &visitNumber, QString *deferredLog = nullptr) const;

    // The badge number at the start of a drop-down entry: the text before the first " |",
    // or the whole entry.
    static QString badgeOfListEntry(const QString &entry);
    // The number typed into the four-digit manual entry field; none unless it is a whole
    // number of at least 1 ("0000" and an entry without digits are invalid).
    static std::optional<int> readManualBadgeNumber(const QString &text);
    // The manual entry field's form of a number: four digits with leading zeros.
    static QString manualBadgeText(int number);

    // The lowest number from 1 to 5000 that no master-data record carries as its personal
    // badge number, or none when all are taken.
    std::optional<int> nextPersonalBadgeNumber() const;
    // True when a master-data record carries the number as its personal badge number.
    bool isPersonalBadgeNumber(int number) const;

    static QString invalidManualNumberMessage();
    static QString unavailableBadgeMessage(int number);
    static QString noFreeBadgeMessage();
    static QString noPersonalNumberMessage();

    const QString &databaseFolder() const { return m_folder; }

private:
    bool occupyRow(int number, const QString &arrivalTime, const QString &arrivalDate) const;
    bool releaseRow(int number) const;
    static QString occupyLogText(int number, const QString &arrivalTime, const QString &visitNumber);
    static QString releaseLogText(int number, const QString &visitNumber);
    bool logged(const QString &line, QString *deferredLog) const;

    bool setRow(int number, const QString &kommt, const QString &tag) const;

    QString m_folder;
    const shell::EventLog &m_log;
};

} // namespace lobrix::registration
