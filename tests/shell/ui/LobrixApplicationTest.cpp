// Errors that escape an event handler are shown, and the program goes on.
#include "TestRegistry.h"

#include "common/Error.h"
#include "shell/ui/LobrixApplication.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace lobrix;
using lobrix::shell::LobrixApplication;

class LobrixApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void errorInHandlerIsShownAndLoopGoesOn()
    {
        QStringList shown;
        LobrixApplication::setErrorHandler([&](const QString &m) { shown << m; });
        QPushButton button;
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&] {
            ++clicks;
            if (clicks == 1)
                throw Error(QStringLiteral("Die Tabelle 'Besucher.dbf' wird von einem anderen "
                                           "Arbeitsplatz benutzt."));
            if (clicks == 2)
                throw std::runtime_error("plain failure");
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 3);
        QCOMPARE(shown, (QStringList{"Die Tabelle 'Besucher.dbf' wird von einem anderen "
                                     "Arbeitsplatz benutzt.",
                                     "plain failure"}));
        LobrixApplication::setErrorHandler({});
    }

    void germanStandardTextsAndFonts()
    {
        QCOMPARE(QApplication::applicationDisplayName(), QStringLiteral("Besucherverwaltung Lobrix"));
        QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Ja"));
        QCOMPARE(box.button(QDialogButtonBox::No)->text(), QStringLiteral("&Nein"));
        QCOMPARE(QFont::substitute(QStringLiteral("MS Sans Serif")).toLower(), QStringLiteral("liberation sans"));
        QCOMPARE(QFont::substitute(QStringLiteral("Arial")).toLower(), QStringLiteral("liberation sans"));
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Arial"), 10)).family(), QStringLiteral("Liberation Sans"));
    }
};

LOBRIX_TEST(LobrixApplicationTest)
#include "LobrixApplicationTest.moc"
