#include "common/ui/Desktop.h"

#include <QDesktopServices>

namespace lobrix::ui {
namespace {
std::function<bool(const QUrl &)> &opener()
{
    static std::function<bool(const QUrl &)> f;
    return f;
}
} // namespace

bool Desktop::open(const QUrl &url)
{
    return opener() ? opener()(url) : QDesktopServices::openUrl(url);
}

void Desktop::setOpener(std::function<bool(const QUrl &)> f)
{
    opener() = std::move(f);
}

} // namespace lobrix::ui
