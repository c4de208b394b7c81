#pragma once
// Who is logged in: the built-in service account or one slot of the users file, with
// the name that the main window shows, the log writes and the visits store.
#include "shell/UserRights.h"

#include <QString>

namespace lobrix::shell
{

struct UserSlot;

class LoginUser
{
public:
    static constexpr char ServiceUserName[] = "Systemanmeldung";
    static constexpr char EmptyUserName[] = "[kein Benutzername]";

    // The service account: every right.
    static LoginUser service();
    static LoginUser fromSlot(int slot, const UserSlot &user);

    bool isService() const { return m_slot < 0; }
    // The slot 0 to 9, or -1 for the service account.
    int slot() const { return m_slot; }
    // "Systemanmeldung" for the service account, "[kein Benutzername]" for a slot with an
    // empty name, otherwise the slot's name.
    QString name() const;
    bool has(Right right) const { return m_rights.has(right); }
    const UserRights &rights() const { return m_rights; }
    // The designer menu: the service account always; a user with the settings right when
    // settings.ini offers the designer.
    bool seesDesigner(bool designerOffered) const;

private:
    LoginUser(int slot, QString name, UserRights rights)
        : m_slot(slot), m_name(std::move(name)), m_rights(rights)
    {
    }

    int m_slot;
    QString m_name;
    UserRights m_rights;
};

} // namespace lobrix::shell
