#pragma once
// Whole Windows text files: Windows-1252, CR LF line ends.
//
// Writes go to a temporary file in the same folder that is written whole, synced and
// checked before it is renamed over the original (the folder is synced after it), so a
// crash or a full disk never leaves half a file behind and never reports success.
#include "common/FileModes.h"

#include <QByteArray>
#include <QFileInfoList>
#include <QList>
#include <QString>
#include <QStringList>

namespace lobrix {

class TextFile
{
public:
    enum class ReadStatus {
        Ok,
        Missing, // the file is not there (its folder is)
        Failed   // there, or not known to be absent, but not readable
    };
    // What a temporary file of an interrupted write is called: "." + name + TempMarker
    // + six random characters.
    static constexpr char TempMarker[] = ".lbx-";

    // The lines of the file in their order, without line ends. A file that cannot be
    // read (missing, a folder, no permission) gives an empty list and *ok = false.
    static QStringList readLines(const QString &path, bool *ok = nullptr);
    static QStringList readLines(const QString &path, ReadStatus *status);
    // Replaces the file with the lines, each followed by CR LF. Throws lobrix::Error
    // naming the file when a line cannot be stored in Windows-1252 or the write fails.
    static void writeLines(const QString &path, const QStringList &lines,
                           FileModes::Kind kind = FileModes::Kind::ByFolder);

    // The raw bytes; a file that cannot be read gives an empty array and *ok = false.
    static QByteArray readBytes(const QString &path, bool *ok = nullptr);
    static QByteArray readBytes(const QString &path, ReadStatus *status);
    // Replaces the file with the bytes through a temporary file; throws lobrix::Error
    // naming the file on failure (its folder does not exist, the disk is full, a short
    // write). A replaced file keeps its mode and group (Kind::Private: made the owner's
    // alone); a new one gets the mode FileModes gives its kind in its folder.
    static void writeBytes(const QString &path, const QByteArray &bytes,
                           FileModes::Kind kind = FileModes::Kind::ByFolder);

    // Removes temporary files that interrupted writes left in the folder (not in its
    // subfolders), when they are older than `minimumAgeSeconds`: younger ones may belong
    // to a write still under way on another workstation. Returns how many were removed.
    static int removeStaleTemporaryFiles(const QString &folder, int minimumAgeSeconds = 3600);
    // The temporary files of interrupted writes in the folder (not its subfolders), with
    // their last change.
    static QFileInfoList temporaryFiles(const QString &folder);
    // The template for mkstemp of a temporary file beside `path` (six X at the end).
    static QByteArray temporaryTemplate(const QString &path);
    // Syncs the folder that holds `path`, so a rename in it survives a power cut.
    static void syncFolderOf(const QString &path);

    // Splits at CR LF, LF or a lone CR; a line end at the very end opens no extra line.
    static QList<QByteArray> splitLines(const QByteArray &bytes);
    // Each line followed by CR LF.
    static QByteArray joinLines(const QList<QByteArray> &lines);

    // Windows-1252 bytes of a text; throws lobrix::Error naming the file when a
    // character has no place in that code page.
    static QByteArray encodeFor(const QString &path, const QString &text);
};

} // namespace lobrix
