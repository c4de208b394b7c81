#pragma once
// The system around the printers as the GUI tests make it: a printer list of their own,
// every printer printing into a PDF file of the output folder, the print dialog answered
// at once, message boxes and the desktop recorded. Installed for the object's lifetime.
#include "layouts/PrinterList.h"
#include "layouts/ui/PrintConfirmation.h"
#include "layouts/ui/VisitPrinter.h"
#include "common/ui/Desktop.h"
#include "common/ui/MessageBoxes.h"

#include <QDir>
#include <QPageLayout>
#include <QPrinter>
#include <QUrl>
#include <functional>

namespace lobrix::test {

struct PrintHooks {
    struct DialogSeen {
        QString output;
        QString docName;
        QPageLayout::Orientation orientation;
        int copies;
    };

    QString outputFolder;
    QStringList printers{QStringLiteral("Empfang"), QStringLiteral("Karten")};
    QString defaultPrinter = QStringLiteral("Karten");
    QStringList attached; // printer names, in the order printers were set up
    bool accept = true;   // the clerk's answer in the print dialog
    std::function<void(QPrinter &)> clerkChanges; // what the clerk changes in the dialog
    QList<DialogSeen> dialogs;
    QList<ui::MessageRecord> messages;
    QList<QUrl> opened;
    bool openSucceeds = true;

    explicit PrintHooks(QString folder) : outputFolder(std::move(folder))
    {
        layouts::VisitPrinter::setHooks(
            {[this] { return layouts::PrinterList(printers, defaultPrinter); },
             [this](QPrinter &p, const QString &name) {
                 attached << name;
                 p.setOutputFormat(QPrinter::PdfFormat);
                 p.setOutputFileName(outputOf(attached.size() - 1));
             }});
        layouts::PrintConfirmation::setHook([this](QPrinter &p, QWidget *) {
            dialogs.append(
                {p.outputFileName(), p.docName(), p.pageLayout().orientation(), p.copyCount()});
            if (clerkChanges)
                clerkChanges(p);
            return accept;
        });
        ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; },
                                      [](const ui::MessageRecord &) { return false; });
        ui::Desktop::setOpener([this](const QUrl &url) {
            opened << url;
            return openSucceeds;
        });
    }
    ~PrintHooks()
    {
        layouts::VisitPrinter::setHooks({});
        layouts::PrintConfirmation::setHook({});
        ui::MessageBoxes::setHooks({}, {});
        ui::Desktop::setOpener({});
    }
    PrintHooks(const PrintHooks &) = delete;
    PrintHooks &operator=(const PrintHooks &) = delete;

    // The PDF file of the n-th printer set up.
    QString outputOf(int attachment) const
    {
        return QDir(outputFolder)
            .filePath(QStringLiteral("%1-%2.pdf").arg(attached.at(attachment)).arg(attachment));
    }
    QStringList printedFiles() const
    {
        return QDir(outputFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    }
};

} // namespace lobrix::test
