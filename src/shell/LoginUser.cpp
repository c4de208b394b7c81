#include "shell/LoginUser.h"

#include "shell/UsersFile.h"

namespace lobrix::shell
{

LoginUser LoginUser::service()
{
    return LoginUser(-1, QString::fromLatin1(ServiceUserName), UserRights::all());
}

LoginUser LoginUser::fromSlot(int slot, const UserSlot &user)
{
    return LoginUser(slot, user.name, user.rights);
}

QString LoginUser::name() const
{
    if (isService())
        return QString::fromLatin1(ServiceUserName);
    if (m_name.isEmpty())
        return QString::fromLatin1(EmptyUserName);
    return m_name;
}

bool LoginUser::seesDesigner(bool designerOffered) const
{
    return isService() || (designerOffered && has(Right::Einstellungen));
}

} // namespace lobrix::shell
