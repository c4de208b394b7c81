#pragma once
// The mandatory fields of a window: a red "*" beside each field that must be filled, and
// the buttons that only work once the window's check says the fields are filled. The rule
// of what "filled" means belongs to the caller's service; the group runs it whenever a
// watched field changes, unless the program itself is filling the fields.
#include <QHash>
#include <QList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace lobrix::ui {

class MandatoryGroup {
public:
    // A hidden mark beside `field` (right of it, in its parent), named `markName`; the
    // caller's `index` (its numbering of the mandatory fields) names it from then on.
    QLabel *addMark(int index, QWidget *field, const char *markName);
    QLabel *mark(int index) const { return m_marks.value(index); }
    // Shows the mark of a field that must be filled, hides it otherwise.
    void setRequired(int index, bool required);

    // The buttons the check enables, and the check itself.
    void guard(QList<QWidget *> buttons) { m_guarded = std::move(buttons); }
    void setCheck(std::function<bool()> check) { m_check = std::move(check); }
    void watch(QLineEdit *field);
    void watch(QComboBox *field);

    // Runs the check now and enables or disables the buttons by it.
    void refresh();
    void setGuardedEnabled(bool enabled);

    // While the program fills fields, changes run no check.
    void setFilling(bool filling) { m_filling = filling; }
    bool filling() const { return m_filling; }
    // Filling for as long as it lives; nests.
    class Filling {
    public:
        explicit Filling(MandatoryGroup &group) : m_group(group), m_was(group.filling())
        {
            group.setFilling(true);
        }
        ~Filling() { m_group.setFilling(m_was); }
        Filling(const Filling &) = delete;
        Filling &operator=(const Filling &) = delete;

    private:
        MandatoryGroup &m_group;
        bool m_was;
    };

private:
    void changed();

    QHash<int, QLabel *> m_marks;
    QList<QWidget *> m_guarded;
    std::function<bool()> m_check;
    bool m_filling = false;
};

} // namespace lobrix::ui
