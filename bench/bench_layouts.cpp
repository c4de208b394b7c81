// Layout files of the largest kind: a visitor sheet with all 200 text items and all 200
// pictures in use, each figure next to a reference on the same bytes:
//   ReadLayout      LayoutFile::read of the whole sheet                  < 20 ms
//     RawRead       reference: reading the file's bytes
//   CopyLayout      CopyLayout of the sheet onto an existing sheet        < 50 ms
//     RawReadWrite  reference: reading both files and writing one atomically
// The files live in a temporary folder of their own.
#include "common/TextFile.h"
#include "layouts/LayoutFile.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace lobrix;
using namespace lobrix::layouts;

namespace {

Layout fullSheet(int shift)
{
    Layout layout;
    layout.family = LayoutFamily::VisitorSheet;
    layout.portrait = true;
    for (int slot = 1; slot <= 200; ++slot) {
        LayoutLabel l;
        l.slot = slot;
        l.left = slot * 3 + shift;
        l.top = slot * 5;
        l.caption = QStringLiteral("Beschriftung Nr. %1").arg(slot);
        l.feld = slot % 4 ? QString() : QStringLiteral("Name");
        layout.labels.append(l);
        LayoutPicture p;
        p.slot = slot;
        p.left = slot + shift;
        p.top = 1000 - slot;
        p.width = 40 + slot;
        p.height = 30 + slot;
        p.pfad = QStringLiteral("Bild%1.bmp").arg(slot);
        p.relation = 1.0 + slot / 7.0;
        layout.pictures.append(p);
    }
    return layout;
}

struct Files {
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("Quittung.ini"));
    QString target = dir.filePath(QStringLiteral("tmpQuittung.ini"));
    Files()
    {
        LayoutFile(source, LayoutFamily::VisitorSheet).create(fullSheet(0));
        LayoutFile(target, LayoutFamily::VisitorSheet).create(fullSheet(7));
    }
};

Files &files()
{
    static Files f;
    return f;
}

void ReadLayout(benchmark::State &state)
{
    const LayoutFile file(files().source, LayoutFamily::VisitorSheet);
    for (auto _ : state) {
        const Layout layout = file.read();
        if (layout.labels.size() != 200 || layout.pictures.size() != 200)
            state.SkipWithError("the sheet lost items");
        benchmark::DoNotOptimize(layout);
    }
}

void RawRead(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TextFile::readBytes(files().source));
}

void CopyLayout(benchmark::State &state)
{
    for (auto _ : state)
        LayoutFile::CopyLayout(files().source, files().target, 200);
}

void RawReadWrite(benchmark::State &state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextFile::readBytes(files().target));
        TextFile::writeBytes(files().target, TextFile::readBytes(files().source));
    }
}

} // namespace

BENCHMARK(RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(RawReadWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyLayout)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
