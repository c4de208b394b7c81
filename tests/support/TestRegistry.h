#pragma once
// Test classes of one folder register here; one executable runs them all.
#include <QObject>

#include <functional>

namespace lobrix::test {
using TestFactory = std::function<QObject *()>;
int registerTest(const char *name, TestFactory factory);
// Runs every registered class (or only --class=Name) with the remaining arguments.
int runAll(int argc, char **argv);
} // namespace lobrix::test

#define LOBRIX_TEST(Class)                                                                         \
    static const int lobrixTestRegistered_##Class =                                               \
        ::lobrix::test::registerTest(#Class, []() -> QObject * { return new Class; });
