#pragma once
// The memo file beside a table: .dbt (dBASE III, dBASE IV) or .fpt (FoxPro). Read only.
#include <QByteArray>
#include <QString>

#include <memory>

namespace lobrix::data {

class DbfMemo {
public:
    // Opens the memo file that belongs to the table at tablePath (found without regard to
    // case), or returns nullptr when there is none.
    static std::unique_ptr<DbfMemo> open(const QString &tablePath, quint8 version);
    ~DbfMemo();
    DbfMemo(const DbfMemo &) = delete;
    DbfMemo &operator=(const DbfMemo &) = delete;

    // The stored bytes of the memo starting at `block`; empty for block 0, a block outside
    // the file or a damaged entry.
    QByteArray read(quint32 block) const;

private:
    enum class Kind { Dbt3, Dbt4, Fpt };
    DbfMemo(int fd, Kind kind, int blockSize);
    int m_fd;
    Kind m_kind;
    int m_blockSize;
};

} // namespace lobrix::data
