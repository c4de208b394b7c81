#include "common/IniFile.h"

#include "TestFiles.h"
#include "TestRegistry.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using lobrix::IniFile;
using namespace lobrix::test;

class IniFileTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString iniPath() const { return m_dir->filePath(QStringLiteral("test.ini")); }
    // A file holding one key K in section [S] with the raw value.
    QString withValue(const QByteArray &value)
    {
        const QString path = iniPath();
        if (!putFile(path, "[S]\r\nK=" + value + "\r\n"))
            return {};
        return path;
    }

private slots:
    // A fresh folder for every test function and data row.
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void readString_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString dflt = QStringLiteral("<default>");
        QTest::newRow("plain") << QByteArray("[Options]\r\nName=Meier\r\n") << "Options"
                               << "Name"
                               << "Meier";
        QTest::newRow("names ignore case") << QByteArray("[OPTIONS]\r\nname=Meier\r\n") << "options"
                                           << "NAME"
                                           << "Meier";
        QTest::newRow("first duplicate key wins")
            << QByteArray("[S]\r\nK=first\r\nk=second\r\n") << "S"
            << "K"
            << "first";
        QTest::newRow("first duplicate section wins")
            << QByteArray("[S]\r\nK=first\r\n[s]\r\nK=second\r\n") << "S"
            << "K"
            << "first";
        QTest::newRow("key only in a later duplicate section")
            << QByteArray("[S]\r\nA=1\r\n[S]\r\nK=late\r\n") << "S"
            << "K" << dflt;
        QTest::newRow("key of another section") << QByteArray("[A]\r\nK=x\r\n[B]\r\nY=1\r\n") << "B"
                                                << "K" << dflt;
        QTest::newRow("key before the first section") << QByteArray("K=x\r\n[S]\r\nA=1\r\n") << "S"
                                                      << "K" << dflt;
        QTest::newRow("missing section") << QByteArray("[A]\r\nK=x\r\n") << "S"
                                         << "K" << dflt;
        QTest::newRow("missing key") << QByteArray("[S]\r\nA=x\r\n") << "S"
                                     << "K" << dflt;
        QTest::newRow("empty file") << QByteArray() << "S"
                                    << "K" << dflt;
        QTest::newRow("empty value is not missing") << QByteArray("[S]\r\nK=\r\n") << "S"
                                                    << "K"
                                                    << "";
        QTest::newRow("blanks around names and value")
            << QByteArray("  [ S ]  \r\n\t K \t=  a b \t\r\n") << "S"
            << "K"
            << "a b";
        QTest::newRow("double quotes") << QByteArray("[S]\r\nK= \"  a  \" \r\n") << "S"
                                       << "K"
                                       << "  a  ";
        QTest::newRow("single quotes") << QByteArray("[S]\r\nK='a'\r\n") << "S"
                                       << "K"
                                       << "a";
        QTest::newRow("only one pair of quotes") << QByteArray("[S]\r\nK=\"\"a\"\"\r\n") << "S"
                                                 << "K"
                                                 << "\"a\"";
        QTest::newRow("unmatched quotes stay") << QByteArray("[S]\r\nK=\"a'\r\n") << "S"
                                               << "K"
                                               << "\"a'";
        QTest::newRow("a lone quote stays") << QByteArray("[S]\r\nK=\"\r\n") << "S"
                                            << "K"
                                            << "\"";
        QTest::newRow("equals sign in value") << QByteArray("[S]\r\nK=a=b\r\n") << "S"
                                              << "K"
                                              << "a=b";
        QTest::newRow("commented out key") << QByteArray("[S]\r\n;K=x\r\n") << "S"
                                           << "K" << dflt;
        QTest::newRow("comment after section name") << QByteArray("[S] ; comment\r\nK=v\r\n") << "S"
                                                    << "K"
                                                    << "v";
        QTest::newRow("unclosed section header is no section")
            << QByteArray("[A]\r\n[S\r\nK=v\r\n") << "S"
            << "K" << dflt;
        QTest::newRow("LF line ends") << QByteArray("[A]\nX=1\n[S]\nK=v\n") << "S"
                                      << "K"
                                      << "v";
        QTest::newRow("mixed line ends") << QByteArray("[A]\r\nX=1\n[S]\rK=v") << "S"
                                         << "K"
                                         << "v";
        QTest::newRow("Windows-1252") << QByteArray("[S]\r\nK=M\xFCller \x80 \x84"
                                                    "a\x93\r\n")
                                      << "S"
                                      << "K" << QStringLiteral("Müller € „a“");
        QTest::newRow("value ends at NUL") << QByteArray("[S]\r\nK=ab\0cd\r\n", 14) << "S"
                                           << "K"
                                           << "ab";
        QTest::newRow("1023 characters kept") << "[S]\r\nK=" + QByteArray(1023, 'a') << "S"
                                              << "K" << QString(1023, u'a');
        QTest::newRow("longer values cut to 1023") << "[S]\r\nK=" + QByteArray(1500, 'a') << "S"
                                                   << "K" << QString(1023, u'a');
        QTest::newRow("cut after the quotes are removed")
            << "[S]\r\nK=\"" + QByteArray(1023, 'a') + "\""
            << "S"
            << "K" << QString(1023, u'a');
    }

    void readString()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(putFile(iniPath(), content));
        QCOMPARE(IniFile(iniPath()).readString(section, key, QStringLiteral("<default>")),
                 expected);
    }

    void readMissingFileOrFolderGivesDefault()
    {
        QCOMPARE(IniFile(iniPath()).readString("S", "K", "d"), QStringLiteral("d"));
        QCOMPARE(IniFile(m_dir->filePath("no/such/folder.ini")).readInt("S", "K", 9), 9);
        // A folder where the file should be.
        QCOMPARE(IniFile(m_dir->path()).readBool("S", "K", true), true);
    }

    void readInt_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        const int d = -4711;
        QTest::newRow("decimal") << QByteArray("42") << 42;
        QTest::newRow("negative") << QByteArray("-17") << -17;
        QTest::newRow("leading zeros") << QByteArray("007") << 7;
        QTest::newRow("blanks around") << QByteArray("  7 ") << 7;
        QTest::newRow("in quotes") << QByteArray("\"8\"") << 8;
        QTest::newRow("hex colour") << QByteArray("0x0000FF") << 255;
        QTest::newRow("hex upper X, mixed case") << QByteArray("0XfF00") << 0xFF00;
        QTest::newRow("int max") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("int min") << QByteArray("-2147483648") << (-2147483647 - 1);
        QTest::newRow("word") << QByteArray("yes") << d;
        QTest::newRow("digits then letters") << QByteArray("12abc") << d;
        QTest::newRow("fraction") << QByteArray("1.5") << d;
        QTest::newRow("empty") << QByteArray("") << d;
        QTest::newRow("sign only") << QByteArray("-") << d;
        QTest::newRow("plus sign") << QByteArray("+5") << d;
        QTest::newRow("inner blank") << QByteArray("1 2") << d;
        QTest::newRow("hex prefix only") << QByteArray("0x") << d;
        QTest::newRow("hex with bad digit") << QByteArray("0x1G") << d;
        QTest::newRow("negative hex") << QByteArray("-0x10") << d;
        QTest::newRow("above int range") << QByteArray("2147483648") << d;
        QTest::newRow("hex above int range") << QByteArray("0x80000000") << d;
        QTest::newRow("huge") << QByteArray("99999999999999999999999999") << d;
        QTest::newRow("non-ASCII digits") << QByteArray("\xB2") << d; // superscript two
    }

    void readInt()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        QCOMPARE(IniFile(withValue(value)).readInt("S", "K", -4711), expected);
    }

    void readBool_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("expected");
        QTest::newRow("1") << QByteArray("1") << false << true;
        QTest::newRow("0 against default true") << QByteArray("0") << true << false;
        QTest::newRow("2 is true") << QByteArray("2") << false << true;
        QTest::newRow("-1 is true") << QByteArray("-1") << false << true;
        QTest::newRow("hex zero") << QByteArray("0x0") << true << false;
        QTest::newRow("yes gives default true") << QByteArray("yes") << true << true;
        QTest::newRow("yes gives default false") << QByteArray("yes") << false << false;
        QTest::newRow("true is no number") << QByteArray("true") << false << false;
        QTest::newRow("empty gives default") << QByteArray("") << true << true;
    }

    void readBool()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, defaultValue);
        QFETCH(bool, expected);
        QCOMPARE(IniFile(withValue(value)).readBool("S", "K", defaultValue), expected);
    }

    void writeString_data()
    {
        QTest::addColumn<QByteArray>("before"); // a null array: no file
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("first write creates the file")
            << QByteArray() << "Options"
            << "UhrSize"
            << "4" << QByteArray("[Options]\r\nUhrSize=4\r\n");
        QTest::newRow("empty file") << QByteArray("") << "S"
                                    << "K"
                                    << "v" << QByteArray("[S]\r\nK=v\r\n");
        QTest::newRow("replaces in place, rest kept byte for byte")
            << QByteArray("; Kommentar \x84X\x93\r\n[S]\r\nA = 1 \r\n  K = old ;x\r\n"
                          "junk line\r\nB=2\r\n\r\n[T]\r\nK=t\r\n")
            << "S"
            << "K"
            << "new"
            << QByteArray("; Kommentar \x84X\x93\r\n[S]\r\nA = 1 \r\nK=new\r\n"
                          "junk line\r\nB=2\r\n\r\n[T]\r\nK=t\r\n");
        QTest::newRow("keeps the spelling in the file")
            << QByteArray("[options]\r\nuhrsize=3\r\n") << "Options"
            << "UhrSize"
            << "5" << QByteArray("[options]\r\nuhrsize=5\r\n");
        QTest::newRow("only the first duplicate changes")
            << QByteArray("[S]\r\nK=1\r\nK=2\r\n[S]\r\nK=3\r\n") << "S"
            << "K"
            << "9" << QByteArray("[S]\r\nK=9\r\nK=2\r\n[S]\r\nK=3\r\n");
        QTest::newRow("appends after the last key of the section")
            << QByteArray("[S]\r\nA=1\r\n; T=about\r\n\r\n[T]\r\nB=2\r\n") << "S"
            << "K"
            << "v" << QByteArray("[S]\r\nA=1\r\nK=v\r\n; T=about\r\n\r\n[T]\r\nB=2\r\n");
        QTest::newRow("appends to an empty section") << QByteArray("[S]\r\n[T]\r\n") << "S"
                                                     << "K"
                                                     << "v" << QByteArray("[S]\r\nK=v\r\n[T]\r\n");
        QTest::newRow("new section at the end")
            << QByteArray("[S]\r\nA=1\r\n") << "T"
            << "K"
            << "v" << QByteArray("[S]\r\nA=1\r\n\r\n[T]\r\nK=v\r\n");
        QTest::newRow("no second blank line before a new section")
            << QByteArray("[S]\r\nA=1\r\n\r\n") << "T"
            << "K"
            << "v" << QByteArray("[S]\r\nA=1\r\n\r\n[T]\r\nK=v\r\n");
        QTest::newRow("keys before the first section stay")
            << QByteArray("K=0\r\n") << "S"
            << "K"
            << "1" << QByteArray("K=0\r\n\r\n[S]\r\nK=1\r\n");
        QTest::newRow("LF and missing last line end become CR LF")
            << QByteArray("[S]\nA=1\rK=old") << "S"
            << "K"
            << "new" << QByteArray("[S]\r\nA=1\r\nK=new\r\n");
        QTest::newRow("Windows-1252 output")
            << QByteArray() << QStringLiteral("Länder") << QStringLiteral("Größe")
            << QStringLiteral("Müller €")
            << QByteArray("[L\xE4nder]\r\nGr\xF6\xDF"
                          "e=M\xFCller \x80\r\n");
        QTest::newRow("empty value") << QByteArray("[S]\r\nK=x\r\n") << "S"
                                     << "K"
                                     << "" << QByteArray("[S]\r\nK=\r\n");
    }

    void writeString()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            QVERIFY(putFile(iniPath(), before));
        IniFile ini(iniPath());
        ini.writeString(section, key, value);
        QCOMPARE(fileBytes(iniPath()), after);
        QCOMPARE(ini.readString(section, key, QStringLiteral("<default>")), value);
    }

    void writeNumbersAndBooleans()
    {
        IniFile ini(iniPath());
        ini.writeInt("S", "Neg", -5);
        ini.writeInt("S", "Big", 16777215);
        ini.writeBool("S", "T", true);
        ini.writeBool("S", "F", false);
        QCOMPARE(fileBytes(iniPath()),
                 QByteArray("[S]\r\nNeg=-5\r\nBig=16777215\r\nT=1\r\nF=0\r\n"));
        QCOMPARE(ini.readInt("S", "Neg", 0), -5);
        QCOMPARE(ini.readBool("S", "F", true), false);
    }

    void everyReadSeesTheFileOnDisk()
    {
        // Another workstation changes the shared file between two reads.
        IniFile ini(iniPath());
        QVERIFY(putFile(iniPath(), "[Global]\r\nLastSatz=7\r\n"));
        QCOMPARE(ini.readInt("Global", "LastSatz", 0), 7);
        QVERIFY(putFile(iniPath(), "[Global]\r\nLastSatz=8\r\nLocked=1\r\n"));
        QCOMPARE(ini.readInt("Global", "LastSatz", 0), 8);

        // A write starts from what is on disk now, not from what this handle saw.
        IniFile other(iniPath());
        other.writeBool("Global", "Locked", false);
        ini.writeInt("Global", "LastSatz", 9);
        QCOMPARE(fileBytes(iniPath()), QByteArray("[Global]\r\nLastSatz=9\r\nLocked=0\r\n"));
    }

    void writeRefusesWhatCannotBeStored_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("value outside Windows-1252") << "S"
                                                    << "K" << QStringLiteral("Łódź");
        QTest::newRow("key outside Windows-1252") << "S" << QStringLiteral("ł") << "v";
        QTest::newRow("section outside Windows-1252") << QStringLiteral("Ω") << "K"
                                                      << "v";
        QTest::newRow("value with line break") << "S"
                                               << "K"
                                               << "1\r\n[Evil]\r\nX=1";
        QTest::newRow("value with LF") << "S"
                                       << "K"
                                       << "a\nb";
        QTest::newRow("value with NUL") << "S"
                                        << "K" << QString("a") + QChar(0) + "b";
        QTest::newRow("equals sign in key") << "S"
                                            << "K=1"
                                            << "v";
        QTest::newRow("comment key") << "S"
                                     << ";K"
                                     << "v";
        QTest::newRow("empty key") << "S"
                                   << ""
                                   << "v";
        QTest::newRow("blank around key") << "S"
                                          << " K"
                                          << "v";
        QTest::newRow("bracket in section") << "S]"
                                            << "K"
                                            << "v";
        QTest::newRow("empty section") << ""
                                       << "K"
                                       << "v";
    }

    void writeRefusesWhatCannotBeStored()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before("[S]\r\nK=old\r\n");
        QVERIFY(putFile(iniPath(), before));
        IniFile ini(iniPath());
        const auto message = errorOf([&] { ini.writeString(section, key, value); });
        QVERIFY(message.has_value());
        QVERIFY2(message->contains(iniPath()), qPrintable(*message));
        QCOMPARE(fileBytes(iniPath()), before);
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"test.ini"});
    }

    void failedWriteNamesTheFile_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("folder missing") << "missing/settings.ini";
        QTest::newRow("path is a folder") << "folder";
    }

    void failedWriteNamesTheFile()
    {
        QVERIFY(QDir(m_dir->path()).mkpath("folder/inner"));
        QFETCH(QString, relativePath);
        const QString path = m_dir->filePath(relativePath);
        IniFile ini(path);
        const auto message = errorOf([&] { ini.writeInt("Options", "UhrSize", 4); });
        QVERIFY(message.has_value());
        QCOMPARE(*message, QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden.")
                               .arg(QDir::toNativeSeparators(path)));
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"folder"});
        QCOMPARE(folderEntries(m_dir->filePath("folder")), QStringList{"inner"});
    }

    void writesLeaveNoTemporaryFiles()
    {
        IniFile ini(iniPath());
        for (int i = 0; i < 5; ++i)
            ini.writeInt("S", QStringLiteral("K%1").arg(i), i);
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"test.ini"});
    }

    void junkIsKeptAndSurvived_data()
    {
        QTest::addColumn<QByteArray>("junk");
        QByteArray random(4096, Qt::Uninitialized);
        QRandomGenerator gen(20051021);
        for (char &c : random) {
            c = static_cast<char>(gen.bounded(256));
            // Keep it one line that cannot open a section.
            if (c == '\r' || c == '\n' || c == '[')
                c = '.';
        }
        QTest::newRow("binary junk") << random;
        QTest::newRow("100 kB line") << QByteArray(100 * 1024, 'x');
        QTest::newRow("100 kB value before any section") << "K=" + QByteArray(100 * 1024, 'v');
        QTest::newRow("NUL bytes") << QByteArray("\0\0K=\0\0=\0", 9);
        QTest::newRow("undefined Windows-1252 bytes") << QByteArray("\x81\x8D\x8F\x90\x9D");
    }

    void junkIsKeptAndSurvived()
    {
        QFETCH(QByteArray, junk);
        const QByteArray tail("\r\n[S]\r\nK=v\r\n");
        QVERIFY(putFile(iniPath(), junk + tail));
        IniFile ini(iniPath());
        QCOMPARE(ini.readString("S", "K"), QStringLiteral("v"));
        QCOMPARE(ini.readString("K", "K", "d"), QStringLiteral("d"));
        ini.writeString("S", "K", "w");
        ini.writeString("S", "L", "x");
        QCOMPARE(fileBytes(iniPath()), junk + "\r\n[S]\r\nK=w\r\nL=x\r\n");
    }

    void longValueInsideSection()
    {
        QVERIFY(putFile(iniPath(), "[S]\r\nK=" + QByteArray(100 * 1024, 'v') + "\r\nL=1\r\n"));
        IniFile ini(iniPath());
        QCOMPARE(ini.readString("S", "K"), QString(1023, u'v'));
        QCOMPARE(ini.readInt("S", "K", 3), 3);
        QCOMPARE(ini.readInt("S", "L", 0), 1);
    }
};

LOBRIX_TEST(IniFileTest)
#include "IniFileTest.moc"
