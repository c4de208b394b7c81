#pragma once
// What poppler's tools read from a PDF file the program printed: the text and the
// document information (title, pages, page size).
#include <QMap>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace lobrix::test {

inline QString popplerOutput(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>")
            .arg(tool, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString pdfText(const QString &pdf)
{
    return popplerOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
}

// The text line by line as laid out on the page, runs of spaces made one.
inline QStringList pdfLines(const QString &pdf)
{
    QStringList lines;
    const QString text = popplerOutput(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const QString &line : text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines;
}

// pdfinfo's lines as key -> value ("Title", "Pages", "Page size", ...).
inline QMap<QString, QString> pdfInfo(const QString &pdf)
{
    QMap<QString, QString> info;
    const QString out = popplerOutput(QStringLiteral("pdfinfo"), {pdf});
    for (const QString &line : out.split(u'\n')) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0)
            info.insert(line.left(colon), line.mid(colon + 1).trimmed());
    }
    return info;
}

// The first page's size in points ("243.78 x 153.07 pts").
inline QSizeF pdfPageSize(const QString &pdf)
{
    const QStringList parts = pdfInfo(pdf).value(QStringLiteral("Page size")).split(u' ');
    if (parts.size() < 3)
        return {};
    return QSizeF(parts.at(0).toDouble(), parts.at(2).toDouble());
}

// Where a word lies on the first page, in points from the top-left corner; empty when
// the page does not hold it.
inline QRectF pdfWordBox(const QString &pdf, const QString &word)
{
    const QString html = popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression box(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                                                "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = box.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(5) == word)
            return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                          QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }
    return {};
}

} // namespace lobrix::test
