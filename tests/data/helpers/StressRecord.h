#pragma once
// The records that the stress helper writes and the tests check: every field follows from
// the worker and sequence numbers, so a record that was torn or mixed up shows at once.
#include "data/DbfTable.h"

#include <QCryptographicHash>

namespace lobrix::test::stress {

using lobrix::data::DbfField;
using lobrix::data::DbfTable;
using lobrix::data::DbfValues;

constexpr int kWorkers = 4;

inline QVector<DbfField> fields()
{
    QVector<DbfField> f = {
        {"WORKER", 'N', 3, 0, 0},   {"SEQ", 'N', 8, 0, 0},    {"NAME", 'C', 60, 0, 0},
        {"FILLER", 'C', 250, 0, 0}, {"TAIL", 'C', 250, 0, 0}, {"CHECK", 'C', 32, 0, 0},
    };
    for (int w = 1; w <= kWorkers; ++w)
        f.append({QStringLiteral("U%1").arg(w), 'N', 8, 0, 0});
    return f;
}

inline QString name(int worker, int seq)
{
    return QStringLiteral("Arbeitsplatz %1 Satz %2 äöüß").arg(worker).arg(seq);
}

inline QString filler(int worker, int seq, QChar base)
{
    QString s;
    for (int i = 0; i < 250; ++i)
        s += QChar(base.unicode() + (worker * 7 + seq * 13 + i) % 26);
    return s;
}

inline QString check(int worker, int seq)
{
    const QString all = name(worker, seq) + filler(worker, seq, u'a') + filler(worker, seq, u'A');
    return QString::fromLatin1(
        QCryptographicHash::hash(all.toUtf8(), QCryptographicHash::Md5).toHex());
}

inline DbfValues values(const DbfTable &t, int worker, int seq)
{
    return {{t.fieldIndex("WORKER"), QString::number(worker)},
            {t.fieldIndex("SEQ"), QString::number(seq)},
            {t.fieldIndex("NAME"), name(worker, seq)},
            {t.fieldIndex("FILLER"), filler(worker, seq, u'a')},
            {t.fieldIndex("TAIL"), filler(worker, seq, u'A')},
            {t.fieldIndex("CHECK"), check(worker, seq)}};
}

// True when the record is exactly what values() wrote for its worker and sequence number.
inline bool intact(const DbfTable &t, const char *record, int *worker = nullptr, int *seq = nullptr)
{
    const int w = t.text(record, t.fieldIndex("WORKER")).toInt();
    const int s = t.text(record, t.fieldIndex("SEQ")).toInt();
    if (worker)
        *worker = w;
    if (seq)
        *seq = s;
    return record[0] == ' ' && t.text(record, t.fieldIndex("NAME")) == name(w, s) &&
           t.text(record, t.fieldIndex("FILLER")) == filler(w, s, u'a') &&
           t.text(record, t.fieldIndex("TAIL")) == filler(w, s, u'A') &&
           t.text(record, t.fieldIndex("CHECK")) == check(w, s);
}

} // namespace lobrix::test::stress
