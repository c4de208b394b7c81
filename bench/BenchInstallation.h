#pragma once
// The large installation the benchmarks run on, made once by generate_installation in
// $LOBRIX_BENCH_DIR (default /tmp/lobrix-bench), and the raw sequential read that the
// figures are compared with.
#include "BenchMarker.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace lobrix::bench {

inline QString benchFolder()
{
    const QByteArray env = qgetenv("LOBRIX_BENCH_DIR");
    return env.isEmpty() ? QStringLiteral("/tmp/lobrix-bench") : QString::fromLocal8Bit(env);
}

inline QString benchDb() { return QDir(benchFolder()).filePath(QStringLiteral("db")); }

inline void ensureInstallation()
{
    QFile marker(QDir(benchFolder()).filePath(QString::fromLatin1(GeneratedMarker)));
    if (marker.open(QIODevice::ReadOnly) && marker.readAll().trimmed() == GeneratedVersion)
        return;
    QDir(benchFolder()).removeRecursively();
    const QString generator =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("generate_installation"));
    std::fprintf(stderr, "generating %s ...\n", qPrintable(benchFolder()));
    if (QProcess::execute(generator, {benchFolder()}) != 0) {
        std::fprintf(stderr, "generate_installation failed\n");
        std::exit(1);
    }
}

// Reads the file whole in 1 MiB blocks, as fast as a plain program can.
inline void rawSequentialRead(benchmark::State &state, const QString &path)
{
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open");
        qint64 total = 0, n = 0;
        while ((n = f.read(buffer.data(), buffer.size())) > 0)
            total += n;
        benchmark::DoNotOptimize(total);
        state.counters["MB"] = static_cast<double>(total) / 1e6;
    }
}

} // namespace lobrix::bench
