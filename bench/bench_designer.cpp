// The badge designer (offscreen) on a badge layout with all 40 slots in use (20 texts,
// 20 pictures of a 120 x 80 bitmap), in a fresh installation of its own:
//   DesignerOpen   the opening steps (file chosen, working copy, canvas loaded) and the
//                  first paint of the canvas                                      < 200 ms
//   DesignerDrag   one mouse move while an item is dragged, painted             < 5 ms
//   DesignerSave   "&Speichern": the canvas into the working copy, the badge type
//                  copied into the database folder                               < 100 ms
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/ui/DesignCanvas.h"
#include "layouts/ui/TBadgeDesign.h"
#include "setup/Installation.h"
#include "shell/ui/LobrixApplication.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <memory>

using namespace lobrix;
using namespace lobrix::layouts;

namespace {

std::unique_ptr<QTemporaryDir> g_dir;
QString g_start, g_db, g_full;

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

// What a repaint of the canvas costs (an offscreen window is not exposed, so repaint()
// would paint nothing).
void paintCanvas(DesignCanvas &canvas)
{
    static QImage image;
    if (image.size() != canvas.size())
        image = QImage(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&image);
}

void makeInstallation()
{
    g_dir = std::make_unique<QTemporaryDir>();
    g_start = QDir(g_dir->path()).filePath(QStringLiteral("start"));
    g_db = QDir(g_dir->path()).filePath(QStringLiteral("db"));
    setup::Installation::create(g_start, g_db, {});
    QImage bitmap(120, 80, QImage::Format_RGB32);
    bitmap.fill(Qt::darkCyan);
    bitmap.save(QDir(LayoutLocations::imagesFolder(g_start)).filePath(QStringLiteral("voll.bmp")), "BMP");
    Layout full;
    full.family = LayoutFamily::Badge;
    for (int slot = 1; slot <= 20; ++slot) {
        LayoutPicture p;
        p.slot = slot;
        p.left = (slot - 1) % 5 * 100;
        p.top = (slot - 1) / 5 * 80;
        p.width = 60;
        p.height = 40;
        p.pfad = QStringLiteral("voll.bmp");
        p.relation = 40.0 / 60;
        full.pictures.append(p);
        LayoutLabel l;
        l.slot = slot;
        l.left = p.left + 2;
        l.top = p.top + 45;
        l.caption = QStringLiteral("Textfeld %1").arg(slot);
        l.fontSize = 9;
        full.labels.append(l);
    }
    g_full = QDir(g_db).filePath(QStringLiteral("Ausweis Voll.ini"));
    LayoutFile(g_full, LayoutFamily::Badge).create(full);
}

std::unique_ptr<TBadgeDesign> openDesigner()
{
    auto designer = std::make_unique<TBadgeDesign>(g_start, g_db);
    TBadgeDesign::Dialogs dialogs;
    dialogs.open = [](QWidget *, const QString &, const QString &, const QString &) { return g_full; };
    dialogs.save = [](QWidget *, const QString &, const QString &, const QString &) { return QStringLiteral("Kopie"); };
    designer->setDialogs(dialogs);
    designer->show();
    return designer;
}

void DesignerOpen(benchmark::State &state)
{
    auto designer = openDesigner();
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        designer->prepare();
        paintCanvas(*designer->canvas());
        state.SetIterationTime(seconds(t));
        state.counters["items"] = double(designer->document().layout().labels.size() +
                                         designer->document().layout().pictures.size());
    }
}

void DesignerDrag(benchmark::State &state)
{
    auto designer = openDesigner();
    designer->prepare();
    DesignCanvas *canvas = designer->canvas();
    const QPoint start = canvas->itemRect({ItemKind::Picture, 7}).center();
    QMouseEvent press(QEvent::MouseButtonPress, start, canvas->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(canvas, &press);
    int step = 0;
    for (auto _ : state) {
        const QPoint p = start + QPoint(step % 40, (step / 40) % 40);
        ++step;
        QElapsedTimer t;
        t.start();
        QMouseEvent move(QEvent::MouseMove, p, canvas->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &move);
        paintCanvas(*canvas);
        state.SetIterationTime(seconds(t));
    }
    state.counters["left"] = designer->document().picture(7)->left; // it did move
    QMouseEvent release(QEvent::MouseButtonRelease, start, canvas->mapToGlobal(start), Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(canvas, &release);
}

void DesignerSave(benchmark::State &state)
{
    for (auto _ : state) {
        auto designer = openDesigner();
        designer->prepare();
        QElapsedTimer t;
        t.start();
        designer->btnSpeichernClick();
        state.SetIterationTime(seconds(t));
        if (!QFile::exists(QDir(g_db).filePath(QStringLiteral("Ausweis Kopie.ini"))))
            state.SkipWithError("not saved");
    }
}

} // namespace

BENCHMARK(DesignerOpen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(DesignerDrag)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(50)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DesignerSave)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::LobrixApplication app(argc, argv);
    makeInstallation();
    ui::MessageBoxes::setHooks([](const ui::MessageRecord &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); },
                               [](const ui::MessageRecord &) { return true; });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
