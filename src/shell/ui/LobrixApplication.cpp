#include "shell/ui/LobrixApplication.h"

#include "common/Error.h"

#include <QFont>
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
    setApplicationDisplayName(QString::fromUtf8(kTitle));
    setOrganizationName(QStringLiteral("Talvo"));
    setUpFontsAndTranslations(*this);
}

bool LobrixApplication::notify(QObject *receiver, QEvent *event)
{
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
