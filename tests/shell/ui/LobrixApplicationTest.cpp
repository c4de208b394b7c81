// Errors that escape an event handler are shown, and the program goes on.
#include "TestRegistry.h"

#include "common/Error.h"
#include "shell/ui/LobrixApplication.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLineEdit>
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

    // Alt+S with "&Speichern" disabled types no "s"; enabled, it clicks the button.
    void disabledButtonsMnemonicTypesNothing()
    {
        QWidget window;
        auto *field = new QLineEdit(&window);
        auto *save = new QPushButton(QStringLiteral("&Speichern"), &window);
        save->move(0, 40);
        int clicks = 0;
        connect(save, &QPushButton::clicked, [&] { ++clicks; });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window)); // shortcuts belong to the active window
        field->setFocus();
        save->setEnabled(false);
        QTest::keyClicks(field, QStringLiteral("Vogel"));
        QTest::keyClick(field, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(field->text(), QStringLiteral("Vogel"));
        QTest::qWait(200);
        QCOMPARE(clicks, 0);
        save->setEnabled(true);
        QTest::keyClick(field, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(clicks, 1); // a mnemonic clicks after the button's press animation
        QCOMPARE(field->text(), QStringLiteral("Vogel"));
        QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier); // AltGr
        QTest::keyClick(field, Qt::Key_S);
        QCOMPARE(field->text(), QStringLiteral("Vogelss"));
    }

    void germanStandardTextsAndFonts()
    {
        // Unset, so nothing is appended to the windows' titles: it reads as the name.
        QCOMPARE(QApplication::applicationDisplayName(), QApplication::applicationName());
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
