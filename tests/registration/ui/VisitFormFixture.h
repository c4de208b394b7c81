#pragma once
// The visit form on a fresh installation, driven like a clerk: it is shown (not executed,
// so the test keeps control), fields are typed into key by key and buttons clicked.
// Message boxes and questions are recorded and answered; print requests are recorded.
#include "../DeskFixture.h"
#include "common/Error.h"
#include "registration/ui/TBesucher.h"
#include "registration/VisitPrintRequest.h"
#include "common/ui/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <memory>

namespace lobrix::test {

class VisitFormFixture {
public:
    explicit VisitFormFixture(int badges = 10, const QDateTime &now = DeskFixture::defaultNow())
        : desk(badges, now)
    {
        ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; },
                                      [this](const ui::MessageRecord &m) {
                                          questions << m;
                                          return answer;
                                      });
    }
    ~VisitFormFixture()
    {
        form.reset();
        ui::MessageBoxes::setHooks({}, {});
    }
    VisitFormFixture(const VisitFormFixture &) = delete;
    VisitFormFixture &operator=(const VisitFormFixture &) = delete;

    // Options read once at program start (AWNManuell, ZielBearbeiten) need a new session.
    void restartSession()
    {
        desk.session = std::make_unique<shell::Session>(desk.startFolder(), desk.clock);
    }

    registration::TBesucher &create()
    {
        form = std::make_unique<registration::TBesucher>(*desk.session, &bar, &progressLabel);
        form->setPrintAction([this](const registration::VisitPrintRequest &r) {
            prints << r;
            if (printFails)
                throw Error(QStringLiteral("Drucker nicht bereit."));
            return printResult;
        });
        return *form;
    }

    void openArrival()
    {
        if (!form)
            create();
        form->prepareArrival();
        showForm();
    }
    void openDeparture()
    {
        if (!form)
            create();
        form->prepareDeparture();
        showForm();
    }
    void showForm()
    {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    template <typename W = QWidget> W *w(const char *name) const
    {
        W *widget = form->findChild<W *>(QString::fromLatin1(name));
        if (!widget)
            qWarning("no widget %s", name);
        return widget;
    }
    QString text(const char *name) const
    {
        QWidget *widget = w(name);
        if (auto *l = qobject_cast<QLabel *>(widget))
            return l->text();
        if (auto *e = qobject_cast<QLineEdit *>(widget))
            return e->text();
        if (auto *c = qobject_cast<QComboBox *>(widget))
            return c->currentText();
        if (auto *b = qobject_cast<QAbstractButton *>(widget))
            return b->text();
        return QString();
    }
    // The texts of the named controls, to compare with a table of expected texts.
    QMap<QString, QString> texts(const QMap<QString, QString> &expected) const
    {
        QMap<QString, QString> out;
        for (auto it = expected.begin(); it != expected.end(); ++it)
            out.insert(it.key(), text(it.key().toLatin1().constData()));
        return out;
    }
    // The named columns of a table row.
    static Row columns(const Row &row, const Row &expected)
    {
        Row out;
        for (auto it = expected.begin(); it != expected.end(); ++it)
            out.insert(it.key(), row.value(it.key()));
        return out;
    }
    bool shown(const char *name) const { return !w(name)->isHidden(); }
    bool enabled(const char *name) const { return w(name)->isEnabled(); }
    QString focused() const
    {
        QWidget *f = QApplication::focusWidget();
        // The line edit of a drop-down stands for the drop-down.
        if (f && qobject_cast<QComboBox *>(f->parentWidget()))
            f = f->parentWidget();
        return f ? f->objectName() : QString();
    }
    QStringList items(const char *name) const
    {
        auto *c = w<QComboBox>(name);
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }

    // Types at the keyboard into a field: ASCII through key clicks, other letters as key
    // events carrying the text.
    static void typeInto(QWidget *field, const QString &text)
    {
        if (auto *c = qobject_cast<QComboBox *>(field); c && c->lineEdit())
            field = c->lineEdit();
        for (const QChar ch : text) {
            if (ch.unicode() < 128)
                QTest::keyClick(field, ch.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
        }
    }
    void type(const char *name, const QString &text) const { typeInto(w(name), text); }
    void click(const char *name) const { QTest::mouseClick(w(name), Qt::LeftButton); }
    void pressEnter(const char *name) const { QTest::keyClick(w(name), Qt::Key_Return); }

    QStringList messageTexts() const
    {
        QStringList out;
        for (const ui::MessageRecord &m : messages)
            out << m.text;
        return out;
    }

    // The lines that were added to the event log since `before` lines, without the
    // date, time and user in front.
    QStringList newLogTexts(qsizetype before) const
    {
        QStringList out;
        const QStringList lines = desk.logLines();
        for (qsizetype i = before; i < lines.size(); ++i)
            out << lines[i].mid(lines[i].indexOf(QStringLiteral(" --> ")) + 5);
        return out;
    }

    DeskFixture desk;
    QProgressBar bar;
    QLabel progressLabel;
    std::unique_ptr<registration::TBesucher> form;
    QList<ui::MessageRecord> messages;
    QList<ui::MessageRecord> questions;
    bool answer = true;
    QList<registration::VisitPrintRequest> prints;
    bool printResult = true;
    bool printFails = false;
};

} // namespace lobrix::test
