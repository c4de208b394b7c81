// Another copy of the program on the same workstation: takes the single-instance lock in
// the given folder, says so, and keeps it until it is killed.
#include "shell/SingleInstanceLock.h"

#include <QCoreApplication>

#include <cstdio>
#include <thread>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    lobrix::shell::SingleInstanceLock lock(QString::fromLocal8Bit(argv[1]));
    std::printf(lock.tryLock() ? "locked\n" : "busy\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::minutes(5));
    return 0;
}
