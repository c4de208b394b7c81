#include "shell/LoginCheck.h"

#include "shell/UsersFile.h"

namespace lobrix::shell
{
namespace
{
// The built-in service account; it cannot be changed or removed.
constexpr char16_t ServiceName[] = u"qzt";
constexpr char16_t ServicePassword[] = u"kuvet48";
} // namespace

std::optional<LoginUser> LoginCheck::find(const QString &typedName,
                                          const QString &typedPassword) const
{
    if (m_serviceLogin && typedName == QStringView(ServiceName) && typedPassword == QStringView(ServicePassword))
        return LoginUser::service();
    for (int slot = 0; slot < UsersFile::SlotCount; ++slot) {
        const UserSlot user = m_users.loadUserSlot(slot);
        // The name first: a hash is checked only for the slot it could belong to.
        if (typedName == user.name && m_users.passwordMatches(slot, typedPassword))
            return LoginUser::fromSlot(slot, user);
    }
    return std::nullopt;
}

QString LoginCheck::loginLogText(const LoginUser &user)
{
    return user.isService() ? QStringLiteral("Anmeldung -> Servicezugang angemeldet")
                            : QStringLiteral("Anmeldung -> Benutzer %1 angemeldet").arg(user.name());
}

QString LoginCheck::lastFailureLogText()
{
    // Without the typed name: it is often a password typed into the wrong field.
    return QStringLiteral("Anmeldung -> %1. fehlgeschlagener Anmeldeversuch, Programm beendet").arg(MaxAttempts);
}

LoginCheck::Outcome LoginCheck::checkLogin(const QString &typedName, const QString &typedPassword)
{
    ++m_attempts;
    Outcome outcome;
    outcome.user = find(typedName, typedPassword);
    if (outcome.user)
        return outcome;
    const int left = MaxAttempts - m_attempts;
    if (left <= 0) {
        outcome.giveUp = true;
        outcome.message =
            QStringLiteral("Die Anmeldung ist fehlgeschlagen. Programm wird beendet.");
    } else {
        outcome.message =
            QStringLiteral("Benutzername oder Paßwort sind ungültig. Sie haben noch ") +
            QString::number(left) +
            (left == 1 ? QStringLiteral(" Versuch.") : QStringLiteral(" Versuche."));
    }
    return outcome;
}

} // namespace lobrix::shell
