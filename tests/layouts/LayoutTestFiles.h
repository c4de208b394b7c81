#pragma once
// Layout file fixtures written byte for byte, independent of the code under test.
#include <QByteArray>

namespace lobrix::test {

// One INI section with its lines, each ending in CR LF.
inline QByteArray iniSection(const QByteArray &name, const QByteArray &body)
{
    return "[" + name + "]\r\n" + body + "\r\n";
}

} // namespace lobrix::test
