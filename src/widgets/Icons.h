#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures: tool-bar and button pictures and the title-bar
// icon are SVG files in the resources (src/ui/icons), drawn at the size asked
// for; the about box's logo and the dashboard's banner add their text.
namespace Icons {

enum class Kind {
    App,            // the program: a shield with a padlock
    Encrypt,        // a closed padlock
    Decrypt,        // an open padlock
    Shred,          // a sheet falling into strips
    Settings,       // a cog wheel
    Key,            // a key
    KeyLoad,        // a key with an arrow pointing in
    KeySave,        // a key with a disk
    KeyNew,         // a key with a star
    SelectFiles,    // an open folder
    ViewFile,       // a sheet with a magnifier
    RemoveFile,     // a sheet with a minus
    ClearList,      // a blank new sheet
    Delete,         // a waste bin
    Cancel,         // a red stop sign
    PasswordNew,    // a padlock with a star
    PasswordDelete, // a padlock with a red cross
    Backup,         // a disk with an arrow out
    Restore,        // a disk with an arrow in
    Folder,         // a closed folder
    Eye,            // an eye
    Keyboard,       // a keyboard
    Help,           // a question mark
    AddFolder       // a closed folder with a green plus
};

// The picture as a pixmap of the given square size (device independent).
QPixmap pixmap(Kind kind, int size);
// The picture as an icon with pixmaps for the usual sizes.
QIcon icon(Kind kind);

// The about box's logo (195 x 65 in the layout).
QPixmap logo(const QSize &size);
// The dashboard's banner (445 x 60 in the layout); German text.
QPixmap banner(const QSize &size);

} // namespace Icons
