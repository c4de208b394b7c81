// Makes the manual BEDIEN.PDF from its Markdown source, with pictures of the program's
// real windows taken offscreen on a fresh demo installation, so they never go stale:
//
//   lobrix-manual SOURCE.md OUT.pdf [--pictures FOLDER]
//   lobrix-manual --icon OUT.png SIZE      the program's icon, for the package
//
// The Markdown names its pictures as "bilder/<name>.png"; the tool makes every picture
// it knows into a temporary folder (or FOLDER) and lays the text out on A4 pages with a
// table of contents ("Inhalt") whose entries carry their page numbers.
#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/StandardLayouts.h"
#include "layouts/ui/PrintConfirmation.h"
#include "layouts/ui/TBadgeDesign.h"
#include "layouts/ui/TQuittungDesign.h"
#include "records/ui/TBerichte.h"
#include "records/ui/TEditieren.h"
#include "records/ui/TLoeschen.h"
#include "registration/ui/TBesucher.h"
#include "setup/Installation.h"
#include "shell/LoginUser.h"
#include "shell/Session.h"
#include "shell/UsersFile.h"
#include "shell/ui/LobrixApplication.h"
#include "shell/ui/TEinstellungen.h"
#include "shell/ui/TMain.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace lobrix;

namespace {

constexpr int kPdfResolution = 300;
constexpr double kMarginMm = 20;

bool savePicture(QWidget *window, const QString &path)
{
    const QImage image = window->grab().toImage();
    if (image.isNull() || !image.save(path, "PNG")) {
        std::fprintf(stderr, "lobrix-manual: Bild %s nicht geschrieben\n", qPrintable(path));
        return false;
    }
    return true;
}

// Opens a modal window with `open`, takes its picture as soon as it shows, closes it.
bool pictureOfModal(const QString &path, const std::function<void()> &open)
{
    bool saved = false;
    QTimer::singleShot(50, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            saved = savePicture(modal, path);
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        }
    });
    open();
    return saved;
}

// The pictures the manual shows, each of a real window on a fresh demo installation.
bool takePictures(const QString &folder)
{
    QTemporaryDir inst;
    const QString start = QDir(inst.path()).filePath(QStringLiteral("start"));
    const QString db = QDir(inst.path()).filePath(QStringLiteral("db"));
    setup::Installation::Options options;
    options.demo = true;
    options.badges = 50;
    setup::Installation::create(start, db, options);
    ui::MessageBoxes::setHooks([](const ui::MessageRecord &) {}, [](const ui::MessageRecord &) { return false; });
    layouts::PrintConfirmation::setHook([](QPrinter &, QWidget *) { return false; });

    app::AppWindows windows(start, systemClock());
    shell::UserRights all;
    for (int r = 0; r < shell::RightCount; ++r)
        all.set(shell::Right(r), true);
    const shell::UserSlot user{QStringLiteral("demo"), QStringLiteral("demo"), all};
    windows.main->session().setUser(shell::LoginUser::fromSlot(0, user));
    windows.main->applyRights();
    // Not shown: showing the main window asks for the login.
    windows.main->resize(1024, 700);
    windows.main->ensurePolished();

    const auto file = [&](const char *name) { return QDir(folder).filePath(QString::fromLatin1(name)); };
    const auto menu = [&](const char *name) {
        return [&windows, name] { windows.main->findChild<QAction *>(QString::fromLatin1(name))->trigger(); };
    };
    bool ok = savePicture(windows.main, file("hauptfenster.png"));
    ok &= pictureOfModal(file("besucher-kommt.png"), [&] { windows.besucher->btnBeginnClick(); });
    ok &= pictureOfModal(file("einstellungen.png"), menu("Einstellung1"));
    ok &= pictureOfModal(file("daten-editieren.png"), menu("Dateneditieren1"));
    ok &= pictureOfModal(file("daten-loeschen.png"), menu("Datenlschen1"));
    {
        layouts::LayoutDesigner::Dialogs none;
        none.open = [](QWidget *, const QString &, const QString &, const QString &) { return QString(); };
        windows.badgeDesign->setDialogs(none);
    }
    ok &= pictureOfModal(file("ausweisdesigner.png"), menu("Besucherausweis1"));
    windows.sheetDesign->resize(1100, 800);
    ok &= pictureOfModal(file("besucherschein.png"), [&] {
        windows.sheetDesign->prepare();
        windows.sheetDesign->exec();
    });
    windows.berichte->resize(1024, 700);
    windows.berichte->show();
    if (windows.berichte->entries().size() > 0) {
        windows.berichte->selectEntry(0);
        windows.berichte->RunSelected();
    }
    QCoreApplication::processEvents();
    ok &= savePicture(windows.berichte, file("berichte.png"));
    windows.berichte->hide();
    return ok;
}

// Pictures wider than the text are shown at the text's width.
void fitPictures(QTextDocument &doc, double textWidth)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            const QImage image = doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            if (image.isNull())
                continue;
            const double width = std::min<double>(image.width(), textWidth);
            format.setWidth(width);
            format.setHeight(image.height() * width / image.width());
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

struct Heading {
    QString text;
    int level;
    int position;
};

QList<Heading> headings(const QTextDocument &doc)
{
    QList<Heading> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (const int level = b.blockFormat().headingLevel(); (level == 1 || level == 2) && !b.text().trimmed().isEmpty())
            out.append({b.text(), level, b.position()});
    return out;
}

// The contents after the title: one line per chapter and section with its page.
QString contentsMarkdown(const QList<Heading> &list, const QList<int> &pages)
{
    QString md = QStringLiteral("\n## Inhalt\n\n");
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].text == u"Inhalt" || i == 0)
            continue; // the title and the contents themselves
        md += (list[i].level == 2 ? QStringLiteral("    ") : QString()) + QStringLiteral("- ") + list[i].text +
              QStringLiteral(" … Seite ") + QString::number(pages.value(i, 0)) + u'\n';
    }
    return md + u'\n';
}

int main2(int argc, char **argv)
{
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 3 && args[0] == u"--icon")
        return layouts::StandardLayouts::icon(args[2].toInt()).save(args[1], "PNG") ? 0 : 1;
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: lobrix-manual QUELLE.md AUSGABE.pdf [--pictures ORDNER]\n");
        return 2;
    }
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    QFile source(args[0]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "lobrix-manual: %s nicht lesbar\n", qPrintable(args[0]));
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    QTemporaryDir temp;
    QString pictures = QDir(temp.path()).filePath(QStringLiteral("bilder"));
    const int at = int(args.indexOf(QStringLiteral("--pictures")));
    if (at >= 0 && at + 1 < args.size())
        pictures = args[at + 1];
    QDir().mkpath(pictures);
    if (!takePictures(pictures))
        return 1;

    QPdfWriter writer(args[1]);
    writer.setResolution(kPdfResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Besucherverwaltung Lobrix – Bedienanleitung"));
    writer.setCreator(QStringLiteral("lobrix-manual"));

    // The text laid out at a screen resolution on pages of the writer's text size, less a
    // strip at the bottom for the page number.
    constexpr double kScreenDpi = 96;
    constexpr double kFooter = 28;
    const QSizeF pagePoints = writer.pageLayout().paintRect(QPageLayout::Point).size();
    const QSizeF sheet(pagePoints.width() * kScreenDpi / 72, pagePoints.height() * kScreenDpi / 72);
    const QSizeF page(sheet.width(), sheet.height() - kFooter);
    const auto build = [&](const QString &md) {
        auto doc = std::make_unique<QTextDocument>();
        doc->setBaseUrl(QUrl::fromLocalFile(QDir(pictures).absolutePath() + u'/'));
        QString text = md;
        text.replace(QStringLiteral("](bilder/"), QStringLiteral("]("));
        doc->setMarkdown(text);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSize(10);
        doc->setDefaultFont(font);
        doc->setPageSize(page);
        fitPictures(*doc, page.width() - 2 * doc->documentMargin());
        return doc;
    };
    // The contents need the pages, which the contents shift: laid out until they stay
    // (the entries are the same lines each time, only their numbers change).
    const qsizetype split = markdown.indexOf(QStringLiteral("\n## "));
    const QString head = markdown.left(split), body = markdown.mid(split);
    QString contents = QStringLiteral("\n## Inhalt\n\n");
    std::unique_ptr<QTextDocument> doc;
    for (int pass = 0; pass < 3; ++pass) {
        doc = build(head + contents + body);
        const QList<Heading> list = headings(*doc);
        QList<int> pages;
        for (const Heading &h : list) {
            const QRectF r = doc->documentLayout()->blockBoundingRect(doc->findBlock(h.position));
            pages.append(int(r.top() / page.height()) + 1);
        }
        contents = contentsMarkdown(list, pages);
    }
    doc = build(head + contents + body);

    QPainter painter(&writer);
    const double scale = writer.resolution() / kScreenDpi;
    painter.scale(scale, scale);
    const int count = doc->pageCount();
    QFont footerFont(QStringLiteral("Liberation Sans"));
    footerFont.setPointSize(8);
    for (int n = 0; n < count; ++n) {
        if (n > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -n * page.height());
        doc->drawContents(&painter, QRectF(0, n * page.height(), page.width(), page.height()));
        painter.restore();
        painter.setFont(footerFont);
        painter.drawText(QRectF(0, page.height(), page.width(), kFooter), Qt::AlignCenter,
                         QStringLiteral("Seite %1 von %2").arg(n + 1).arg(count));
    }
    painter.end();
    std::printf("%s: %d Seiten\n", qPrintable(args[1]), count);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::LobrixApplication app(argc, argv);
    return main2(argc, argv);
}
