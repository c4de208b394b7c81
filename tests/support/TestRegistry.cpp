#include "TestRegistry.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace lobrix::test {
namespace {
struct Entry {
    std::string name;
    TestFactory factory;
};
std::vector<Entry> &registry()
{
    static std::vector<Entry> entries;
    return entries;
}
} // namespace

int registerTest(const char *name, TestFactory factory)
{
    registry().push_back({name, std::move(factory)});
    return static_cast<int>(registry().size());
}

// Each class runs in a process of its own: QtTest keeps a skip in one class's
// initTestCase for every later class of the same process (they would silently run
// nothing), and a crash in one class must not hide the others' results.
int runEachInOwnProcess(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int failed = 0;
    for (const Entry &e : registry()) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    QStringList{QStringLiteral("--class=") + QString::fromStdString(e.name)} + args);
        const bool finished = child.waitForFinished(-1);
        if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            ++failed;
    }
    return failed;
}

int runAll(int argc, char **argv)
{
    std::string only;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--class=", 0) == 0)
            only = a.substr(8);
        else
            args.push_back(argv[i]);
    }
    if (only.empty() && registry().size() > 1)
        return runEachInOwnProcess(argc, argv);
    int failed = 0;
    for (const Entry &e : registry()) {
        if (!only.empty() && e.name != only)
            continue;
        std::unique_ptr<QObject> obj(e.factory());
        failed += QTest::qExec(obj.get(), static_cast<int>(args.size()), args.data()) != 0 ? 1 : 0;
    }
    return failed;
}
} // namespace lobrix::test
