#include "common/IniDocument.h"

#include "TestFiles.h"
#include "TestRegistry.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using lobrix::IniDocument;
using namespace lobrix::test;

// The document as a whole: what IniFile's tests cannot see because IniFile writes each
// key at once. The profile rules themselves are IniFileTest's.
class IniDocumentTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath(QStringLiteral("doc.ini")); }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    // Changes stay in memory until save, and then arrive together.
    void changesReachTheFileOnlyAtSave()
    {
        const QByteArray before = "; Kopf\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n";
        QVERIFY(putFile(path(), before));
        IniDocument doc = IniDocument::load(path());
        doc.setValue(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("neu"));
        doc.setValue(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3"));
        doc.setInt(QStringLiteral("C"), QStringLiteral("w"), 4);
        QCOMPARE(fileBytes(path()), before);
        QCOMPARE(doc.readString(QStringLiteral("A"), QStringLiteral("x")), QStringLiteral("neu"));
        doc.save();
        QCOMPARE(fileBytes(path()),
                 QByteArray("; Kopf\r\n[A]\r\nx=neu\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n"));
    }

    // Every section of the name goes with its comments; the next write makes it anew at
    // the end, and the other sections keep their keys.
    void erasingRemovesEveryDuplicate()
    {
        IniDocument doc = IniDocument::parse(
            "[Label1]\r\nVisible=1\r\n; zu Label1\r\n[Label2]\r\nVisible=1\r\n[label1]\r\nCaption=b\r\n");
        QVERIFY(doc.eraseSection(QStringLiteral("LABEL1")));
        QVERIFY(!doc.eraseSection(QStringLiteral("Label1")));
        QVERIFY(!doc.hasSection(QStringLiteral("Label1")));
        QCOMPARE(doc.bytes(), QByteArray("[Label2]\r\nVisible=1\r\n"));
        doc.setBool(QStringLiteral("Label1"), QStringLiteral("Visible"), false);
        QCOMPARE(doc.bytes(), QByteArray("[Label2]\r\nVisible=1\r\n\r\n[Label1]\r\nVisible=0\r\n"));
        QCOMPARE(doc.readInt(QStringLiteral("label2"), QStringLiteral("visible"), 9), 1);
    }

    // A change that cannot be stored is refused whole: the document keeps its bytes.
    void unstorableChangeLeavesTheDocument_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line break") << "A" << "x" << "eins\r\nzwei";
        QTest::newRow("no code point") << "A" << "x" << QString::fromUtf8("€ und 日本");
        QTest::newRow("bracket in section") << "A]" << "x" << "1";
        QTest::newRow("equals in key") << "A" << "x=y" << "1";
        QTest::newRow("blank around key") << "A" << " x" << "1";
    }
    void unstorableChangeLeavesTheDocument()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before = "[A]\r\nx=1\r\n";
        IniDocument doc = IniDocument::parse(before, QStringLiteral("/irgendwo/doc.ini"));
        const auto message = errorOf([&] { doc.setValue(section, key, value); });
        QVERIFY(message);
        QVERIFY2(message->contains(QStringLiteral("doc.ini")), qPrintable(*message));
        QCOMPARE(doc.bytes(), before);
    }

    // Something that is there but unreadable is never taken for an empty file; a missing
    // file is.
    void unreadableFileIsAnError()
    {
        QVERIFY(QDir().mkpath(path()));
        const auto message = errorOf([&] { IniDocument::load(path()); });
        QVERIFY(message);
        QVERIFY2(message->contains(QStringLiteral("nicht gelesen")), qPrintable(*message));
        QVERIFY(IniDocument::load(m_dir->filePath(QStringLiteral("fehlt.ini"))).bytes().isEmpty());
    }
};

LOBRIX_TEST(IniDocumentTest)
#include "IniDocumentTest.moc"
