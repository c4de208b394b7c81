#pragma once
// A dBASE table file on a folder that several workstations share.
//
// Nothing is cached between calls: the record count and every record are read from the
// file when asked for, so another workstation's writes are seen at once. Appends and
// updates take byte-range locks (see DbfLocks); every open table holds a shared "in use"
// lock so that pack and addField (which need exclusive use) fail cleanly.
//
// Record numbers are 0-based. One DbfTable is used by one thread at a time, except that
// readBlock may also run on other threads meanwhile: it reads with pread and the header
// fixed at open, nothing else (DbfParallelScan relies on it).
#include "common/CodePage.h"
#include "common/Error.h"
#include "data/DbfField.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace lobrix::data {


class DbfTable {
public:
    // Shared: read and write alongside other workstations. Exclusive: nobody else may have
    // the table open (fails at once otherwise). ReadOnly: shared, but writing is refused.
    enum class Mode { Shared, Exclusive, ReadOnly };

    // The largest table file other dBASE programs handle (signed 32-bit offsets) and the
    // format's record limit. Appends stop short of both; see roomFor().
    static constexpr qint64 MaxFileBytes = 0x7FFFFFFF;
    static constexpr qint64 MaxRecords = 1000000000;
    // How long an open waits while another workstation packs the table.
    static constexpr int PackWaitMs = 10000;

    // While one lives on a thread, an open of that thread that has to wait for a pack calls
    // `notice` once before it waits (the visit form shows "Moment bitte ..." then).
    class WaitNotice {
    public:
        explicit WaitNotice(std::function<void()> notice);
        ~WaitNotice();
        WaitNotice(const WaitNotice &) = delete;
        WaitNotice &operator=(const WaitNotice &) = delete;

    private:
        std::function<void()> m_notice;
        WaitNotice *m_outer;
        friend class DbfTable;
    };

    // For tests: called by every open after the file is opened and before its lock is
    // taken, where a pack of another workstation may replace the file.
    static void setOpenedHook(std::function<void()> hook);

    // Finds `fileName` in `folder` without regard to case; returns the full path of the
    // existing file, or folder + "/" + fileName when there is none.
    static QString resolve(const QString &folder, const QString &fileName);

    // Opens a table (found without regard to case when `path` does not exist as given).
    // Only a regular file is opened: a link, a FIFO or a device is refused. A table that
    // another workstation packs is waited for (PackWaitMs); once its lock is held, the open
    // checks that the path still names the file it opened and opens it again if a pack
    // replaced it meanwhile. A header count that a writer left behind the records is
    // mended. Throws lobrix::Error naming the file and what is wrong (missing, empty,
    // truncated header, unknown version or field type, in exclusive use elsewhere).
    static std::unique_ptr<DbfTable> open(const QString &path, Mode mode = Mode::Shared);

    // Writes a new empty dBASE III table (version 0x03, language byte for Windows-1252
    // unless given). Field names are stored in upper case; D and L fields may leave the
    // length 0. Fails if the file exists (in any case spelling).
    static void create(const QString &path, const QVector<DbfField> &fields,
                       quint8 languageByte = 0x03);

    ~DbfTable();
    DbfTable(const DbfTable &) = delete;
    DbfTable &operator=(const DbfTable &) = delete;

    QString path() const;
    Mode mode() const;
    QString fileName() const;    // the file name without folder, as on disk
    quint8 version() const;      // byte 0
    quint8 languageByte() const; // byte 29
    CodePage codePage() const;
    int headerLength() const;
    int recordSize() const;
    const QVector<DbfField> &fields() const;
    int fieldIndex(const QString &name) const; // without regard to case; -1 if none
    int fieldIndexOrThrow(const QString &name) const;

    // Records in the file, from disk each call (deleted ones included). A header count
    // that disagrees with the file size is reconciled as a reader may: whole records only.
    int recordCount() const;

    // Reads `count` records starting at `first` in one read; returns fewer (whole records
    // only) at the end of the file. It does not look at the header count: callers bound
    // their scan by recordCount() taken when the scan starts. For scans: read in blocks,
    // not record by record.
    QByteArray readBlock(int first, int count) const;
    // The same into `buffer`, whose memory is reused from call to call (a scan then reads
    // into memory that is already in the cache); returns the whole records read.
    int readBlock(int first, int count, QByteArray &buffer) const;
    // One record; throws lobrix::Error when the file does not hold it.
    DbfRecord read(int recno) const;

    static bool isDeleted(const char *record) { return record[0] == '*'; }

    // Field access on a stored record. An index outside fields() throws lobrix::Error.
    QString text(const char *record, int field) const; // C right-trimmed, N/F trimmed,
                                                       // D DD.MM.YYYY or "", L "T"/"F"/"",
                                                       // M the memo text
    int logical(const char *record, int field) const;  // 1, 0, or -1 for unknown/blank
    QString memo(const char *record, int field) const; // memo text ("" without .dbt/.fpt)
    // Raw field bytes (no decoding), for fast comparisons in scans.
    QByteArray raw(const char *record, int field) const;

    // Encodes a value into its stored bytes (length = field length). Throws lobrix::Error
    // naming the field when the text does not fit the field's kind (not a number, not a
    // date, a character the code page cannot hold, longer than the field). Numbers are
    // rounded to the field's decimals and right-aligned; an empty text is the blank value.
    QByteArray encode(int field, const QString &text) const;
    // True when every character of text can be stored in this table's code page.
    bool canStore(const QString &text) const;

    // Appends one record (fields not named are blank). Takes the append lock, re-reads the
    // count from disk, writes the record behind the last whole record, then the count.
    // Returns the new record number. All values are checked before anything is written.
    int append(const DbfValues &values);
    // Why `records` more records would not fit (the message names lobrix-admin purge), or
    // none. Asked before a save takes a badge or a number.
    std::optional<QString> roomFor(int records = 1) const;
    // The file's size now.
    qint64 fileBytes() const;
    // Puts what was written on the disk (fdatasync): a save that reports success must
    // survive a power cut. Throws lobrix::Error.
    void sync();

    // Changes the named fields of one record under its record lock (read, change, write),
    // so that concurrent updates of other fields of the same record are kept.
    void update(int recno, const DbfValues &values);
    void setDeleted(int recno, bool deleted = true);
    // Marks many records deleted, a run of neighbours at a time: one lock of the run's
    // records, one read and one write of its block (what a deletion of months of visits
    // needs). `recnos` in any order; a record that is not there throws lobrix::Error before
    // anything is marked.
    void setDeleted(std::vector<int> recnos);

    // Both need exclusive use: a table opened Shared is switched to exclusive use for the
    // rewrite and back afterwards; while another workstation has the table open they fail
    // with "Die Tabelle '...' wird von einem anderen Arbeitsplatz benutzt und kann nicht
    // exklusiv geöffnet werden.". They rewrite the table into a temporary file in the same
    // folder and rename it over the table; the open table then refers to the new file.
    // pack removes the records marked deleted; addField appends a column (C N F D L),
    // blank in every record.
    void pack();
    void addField(const DbfField &field);

    // Repairs a header whose count disagrees with the whole records in the file, and the
    // end marker. Never drops a whole record. Returns true if something was changed.
    bool repair();

    // What check reports: counts and damage found without changing anything.
    struct Health {
        int headerCount = 0;
        int wholeRecords = 0;
        int deleted = 0;
        bool tornTail = false; // a partial record at the end
        bool missingEndMarker = false;
        bool damaged() const { return headerCount != wholeRecords || tornTail; }
    };
    Health health() const;

private:
    struct Impl;
    explicit DbfTable(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace lobrix::data
