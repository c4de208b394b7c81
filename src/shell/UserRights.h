#pragma once
// The eight rights of a user, in the order in which the users file stores them and the
// settings dialog shows their check boxes.
#include <array>
#include <cstddef>
#include <initializer_list>

namespace lobrix::shell
{

enum class Right {
    Erfassen,
    StammLesen,
    StammSchreiben,
    BerichteLesen,
    BerichteErstellen,
    Einstellungen,
    Rechte,
    Service,
};

inline constexpr int RightCount = 8;

// The check box of each right on the users page of the settings dialog (UTF-8 caption).
struct RightCheckBox {
    Right right;
    const char *objectName;
    const char *caption;
};
inline constexpr std::array<RightCheckBox, RightCount> RightCheckBoxes = {{
    {Right::Erfassen, "chkErfassen", "Besucher erfassen"},
    {Right::StammLesen, "chkStammLesen", "Besucherstamm einsehen"},
    {Right::StammSchreiben, "chkStammSchreiben", "Besucherstamm ändern"},
    {Right::BerichteLesen, "chkBerichteLesen", "Berichte einsehen"},
    {Right::BerichteErstellen, "chkBerichteErstellen", "Berichte erstellen"},
    {Right::Einstellungen, "chkEinstellungen", "Programmeinstellungen ändern / Designer"},
    {Right::Rechte, "chkRechte", "Nutzerrechte und Passwörter ändern"},
    {Right::Service, "chkService", "Daten löschen / editieren"},
}};

class UserRights
{
public:
    UserRights() = default;
    UserRights(std::initializer_list<Right> held)
    {
        for (const Right r : held)
            set(r, true);
    }

    static UserRights all()
    {
        UserRights r;
        r.m_held.fill(true);
        return r;
    }

    bool has(Right right) const { return m_held[index(right)]; }
    void set(Right right, bool held) { m_held[index(right)] = held; }
    // By position 0 to 7 (the file's order).
    bool has(int position) const { return m_held.at(static_cast<std::size_t>(position)); }
    void set(int position, bool held) { m_held.at(static_cast<std::size_t>(position)) = held; }

    bool operator==(const UserRights &) const = default;

private:
    static std::size_t index(Right right) { return static_cast<std::size_t>(right); }
    std::array<bool, RightCount> m_held{};
};

} // namespace lobrix::shell
