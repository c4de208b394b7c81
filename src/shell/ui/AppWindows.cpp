#include "shell/ui/AppWindows.h"

#include "layouts/ui/VisitFormPrinting.h"
#include "registration/ui/TBesucher.h"
#include "registration/ui/TKalender.h"
#include "shell/Session.h"
#include "shell/ui/TInfo.h"
#include "shell/ui/TMain.h"
#include "shell/ui/TStart.h"

namespace lobrix::shell {

template <typename W, typename... Args> W *AppWindows::add(Args &&...args)
{
    return new W(std::forward<Args>(args)..., main);
}

AppWindows::AppWindows(const QString &startFolder, const Clock &clock)
{
    m_main = std::make_unique<TMain>(startFolder, clock);
    main = m_main.get();
    besucher = add<registration::TBesucher>(main->session(), main->progressBar(), main->progressLabel());
    start = add<TStart>();
    kalender = add<registration::TKalender>(clock);
    info = add<TInfo>();
    main->setWindows({start, info});
    besucher->setCalendar(kalender);
    besucher->setPrintAction(layouts::VisitFormPrinting::action(
        main->session().folders().start, main->session().folders().database, besucher));
    main->setVisitForm([form = besucher] { form->btnBeginnClick(); },
                       [form = besucher] { form->btnEndeClick(); });
}

AppWindows::~AppWindows() = default;

} // namespace lobrix::shell
