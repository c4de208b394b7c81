#pragma once
// Pictures read from the shared folders: photos of visitors and the pictures of layouts.
// Their names come from tables and layout files that anyone with write access to the share
// can change, so a picture is read only from a regular file (no link, no FIFO or device,
// which would hang the program) and only up to a size a picture can have.
#include <QImage>
#include <QString>

namespace lobrix {

class ImageFile {
public:
    static constexpr qint64 MaxBytes = qint64(64) << 20;

    // The picture, or a null image when the file is missing, not a regular file, too
    // large or no picture.
    static QImage read(const QString &path);

    // The stored name of a photo as a plain file name: the text after the last separator
    // of either kind ("../../etc/passwd" is "passwd"), so it always names a file inside
    // the images folder.
    static QString plainName(const QString &stored);
    // True when the name is already plain (no separator, not "." or "..").
    static bool isPlainName(const QString &name);
};

} // namespace lobrix
