#include "TestRegistry.h"

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
