#include "TestInstallation.h"
#include "TestRegistry.h"

#include "app/AppWindows.h"
#include "common/Clock.h"
#include "shell/ui/TMain.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace lobrix;

namespace {

// What a screen reader says for a control: its accessible name, else its own text.
QString spokenName(const QWidget *w)
{
    if (!w->accessibleName().isEmpty())
        return w->accessibleName();
    if (const auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text().remove(u'&').trimmed();
    return {};
}

} // namespace

// Every input of every window of the program has a name a screen reader can say.
class AccessibleNamesTest : public QObject {
    Q_OBJECT

private slots:
    void everyInputIsNamed()
    {
        test::TestInstallation inst;
        FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(8, 30, 0)));
        app::AppWindows windows(inst.startFolder(), clock);
        QStringList unnamed;
        int inputs = 0;
        for (QWidget *w : windows.main->findChildren<QWidget *>()) {
            const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                               qobject_cast<QAbstractButton *>(w) ||
                               qobject_cast<QAbstractSpinBox *>(w);
            // A combo box's or spin box's own edit field is spoken as the box.
            if (!input || qobject_cast<QComboBox *>(w->parentWidget()) ||
                qobject_cast<QAbstractSpinBox *>(w->parentWidget()) ||
                w->focusPolicy() == Qt::NoFocus)
                continue;
            ++inputs;
            if (spokenName(w).isEmpty())
                unnamed << w->window()->objectName() + u'.' + w->objectName();
        }
        QVERIFY(inputs > 40); // the visit form's fields are among them
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
    }
};

LOBRIX_TEST(AccessibleNamesTest)
#include "AccessibleNamesTest.moc"
