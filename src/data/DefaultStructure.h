#pragma once
// The structure file a new installation starts with, and the print staging table of a
// workstation. Widths hold at least what the visit form lets the clerk type.
#include "data/DbfField.h"

#include <QString>
#include <QVector>

namespace lobrix::data {

class DefaultStructure {
public:
    // Struktur.txt: every table of the database folder with all its fields.
    static QString structureText();
    // BesucherDruck.dbf in the start folder (not part of the structure file).
    static QVector<DbfField> printTableFields();
    static constexpr const char *kPrintTable = "BesucherDruck.dbf";
};

} // namespace lobrix::data
