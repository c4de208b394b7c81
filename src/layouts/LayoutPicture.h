#pragma once
// One picture item of a layout ([PictureN]). The member defaults are the values the
// printers use for missing keys; the designers pass defaults of their own when they read.
#include <QString>

namespace lobrix::layouts {

struct LayoutPicture {
    int slot = 0;
    int left = 1;
    int top = 1;
    int width = 1;
    int height = 1;
    QString pfad;          // bitmap file name in the images folder
    double relation = 1.0; // height / width, for aspect-locked resizing in the designers
    QString feld;
    int feldIndex = -1;

    // A bound picture prints the visitor's photo, whatever its field key says.
    bool isPhotoPlaceholder() const { return feldIndex >= 0; }

    bool operator==(const LayoutPicture &) const = default;
};

} // namespace lobrix::layouts
