#include "records/ReportQuery.h"

#include "common/TimeText.h"

#include <QDate>

namespace lobrix::records {
namespace {

void replaceWord(QString &text, const QStringList &forms, const QString &replacement)
{
    const qsizetype length = forms.first().size();
    for (qsizetype i = 0; i + length <= text.size(); ++i) {
        const QStringView here = QStringView(text).mid(i, length);
        for (const QString &form : forms) {
            if (here == form) {
                text.replace(i, length, replacement);
                i += replacement.size() - 1;
                break;
            }
        }
    }
}

} // namespace

bool isWhereLine(const QString &line)
{
    const QStringView start = QStringView(line).left(5);
    return start == u"Where" || start == u"WHERE" || start == u"where";
}

QStringList substituteDates(QStringList lines, const QString &currentDate)
{
    int last = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (isWhereLine(lines[i]))
            last = i;
    if (last < 0)
        return lines;
    QString text = lines[last];
    const QString yesterday = DateText(DateFromText(currentDate).addDays(-1));
    const QChar q = u'\'';
    replaceWord(text, {QStringLiteral("'heute'"), QStringLiteral("'Heute'"), QStringLiteral("'HEUTE'")},
                q + currentDate + q);
    replaceWord(text, {QStringLiteral("'gestern'"), QStringLiteral("'Gestern'"), QStringLiteral("'GESTERN'")},
                q + yesterday + q);
    for (QString &line : lines)
        if (isWhereLine(line))
            line = text;
    return lines;
}

QString statementOf(const QStringList &lines)
{
    return lines.join(u'\n');
}

} // namespace lobrix::records
