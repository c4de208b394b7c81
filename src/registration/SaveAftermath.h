#pragma once
// The steps of a save that come after its main row is stored. Once the visit is in the
// table the save has succeeded: a later step that fails must not be reported as a failed
// save, or the clerk registers the visitor a second time. Each failure is collected and
// reported with the success ("Der Besuch ist gespeichert, aber ...").
#include "common/Error.h"

#include <QString>
#include <QStringList>

namespace lobrix::registration {

class SaveAftermath {
public:
    // Runs one step; a lobrix::Error it throws is kept under `what` ("der Besucherstamm
    // wurde nicht ergänzt") and the next step runs all the same.
    template <typename Step> void run(const QString &what, Step step)
    {
        try {
            step();
        } catch (const Error &e) {
            m_problems << QStringLiteral("%1: %2").arg(what, e.message());
        }
    }

    bool failed() const { return !m_problems.isEmpty(); }
    // Empty when every step went through.
    QString message() const
    {
        if (m_problems.isEmpty())
            return {};
        return QStringLiteral("Der Besuch ist gespeichert, aber %1").arg(m_problems.join(QStringLiteral("; ")));
    }

private:
    QStringList m_problems;
};

} // namespace lobrix::registration
