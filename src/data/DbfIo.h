#pragma once
// Positioned reads and writes on a table's file descriptor that retry on EINTR and short
// transfers. They report errno instead of throwing so that callers can name the table.
#include <QString>
#include <QtGlobal>

#include <sys/types.h>

namespace lobrix::data::io {

// Reads up to `size` bytes at `offset`; returns the bytes read (fewer only at end of
// file), or -1 with errno set.
qint64 readAt(int fd, void *buffer, qint64 size, qint64 offset);
// Writes all `size` bytes at `offset`; false with errno set on failure.
bool writeAt(int fd, const void *buffer, qint64 size, qint64 offset);
// True when `path` (not followed if it is a link) names the very file open as `fd`: a
// rename may have put another file in its place since it was opened.
bool namesOpenFile(int fd, const QByteArray &path);
// Size of the open file, or -1 with errno set.
qint64 fileSize(int fd);
// A short German text for an errno value, for messages that name the table.
QString errorText(int errnum);

} // namespace lobrix::data::io
