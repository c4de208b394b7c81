#pragma once
// The application object: German standard texts, the fonts the layouts were designed
// with, an error box for every error that escapes an event handler, and no letters
// typed by the mnemonic of a disabled button.
#include <QApplication>

#include <functional>

namespace lobrix::shell {

class LobrixApplication : public QApplication {
    Q_OBJECT
public:
    LobrixApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // An Alt+letter key press that no enabled button's mnemonic took.
    static bool isStrayMnemonic(const QEvent *event);

    // Shows an error box (caption "Fehler"); tests may replace it to see the message.
    static void showError(const QString &message);
    static void setErrorHandler(std::function<void(const QString &)> handler);
};

// Fonts and translations, also for tests that build windows without LobrixApplication.
void setUpFontsAndTranslations(QApplication &app);

} // namespace lobrix::shell
