#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::fprintf(stderr, "usage: lobrix-admin init|sql|check ...\n");
    return 2;
}
