#include "shell/ui/LobrixApplication.h"

#include "common/Error.h"

#include <QFont>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

namespace lobrix::shell {
namespace {
std::function<void(const QString &)> &errorHandler()
{
    static std::function<void(const QString &)> handler;
    return handler;
}
} // namespace

void setUpFontsAndTranslations(QApplication &app)
{
    // The machines run C.UTF-8; the German standard button texts ("&Ja", "&Nein") need an
    // explicit German locale and Qt's own translation.
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    auto *translator = new QTranslator(&app);
    if (translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    // Layouts and reports were designed with Arial and MS Sans Serif; Liberation Sans has
    // Arial's metrics, so positions and widths stay as designed.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Microsoft Sans Serif"),
                              QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
}

LobrixApplication::LobrixApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Lobrix"));
    // No display name: the platform would append it to every window title, and the
    // windows carry exactly their own captions.
    setOrganizationName(QStringLiteral("Talvo"));
    setUpFontsAndTranslations(*this);
}

bool LobrixApplication::isStrayMnemonic(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    // Shortcuts are matched before the key is delivered, so an Alt+letter that arrives as
    // a key press matched no enabled button: it belongs to a disabled one (or to none)
    // and must not type its letter into the focused field. Ctrl+Alt is AltGr on Windows.
    const auto *key = static_cast<const QKeyEvent *>(event);
    return (key->modifiers() & Qt::AltModifier) && !(key->modifiers() & Qt::ControlModifier) &&
           !key->text().isEmpty() && key->text().at(0).isPrint();
}

bool LobrixApplication::notify(QObject *receiver, QEvent *event)
{
    if (receiver->isWidgetType() && isStrayMnemonic(event))
        return true;
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error &e) {
        showError(e.message());
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void LobrixApplication::showError(const QString &message)
{
    if (errorHandler()) {
        errorHandler()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Fehler"), message);
}

void LobrixApplication::setErrorHandler(std::function<void(const QString &)> handler)
{
    errorHandler() = std::move(handler);
}

} // namespace lobrix::shell
