#pragma once
// The reports a new installation brings, each made as "neuen Bericht erstellen" makes
// one (query file and state file), so it can be changed there: "Anwesende Besucher" (who
// is on site now: the roll call for an evacuation), "Besucher heute", "Besucher gestern".
#include <QString>

namespace lobrix::records {

class ReportFolder;

struct StandardReports {
    static constexpr char Present[] = "Anwesende Besucher";
    static constexpr char Today[] = "Besucher heute";
    static constexpr char Yesterday[] = "Besucher gestern";

    // Writes the three into the folder (replacing reports of the same names). Throws
    // lobrix::Error.
    static void install(const ReportFolder &folder);
};

} // namespace lobrix::records
