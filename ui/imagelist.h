#pragma once
// The pictures of the toolbar and the menus: one list shared by both, drawn
// at start-up so they look the same on every desktop and need no files.

#include <QIcon>
#include <QImage>
#include <QList>

// Positions in the list. The toolbar buttons take 0, 1, 2, 10, 4, 6 and 8
// in their order (the separators' pictures are never shown).
enum TImageIndex {
    imgOpen = 0,
    imgSave = 1,
    imgPrint = 2,
    imgExit = 3,
    imgChart = 4,
    imgContents = 5,
    imgRead = 6,
    imgIndex = 7,
    imgWrite = 8,
    imgAbout = 9,
    imgConnect = 10,
    imgDisconnect = 11,
    imgApplication = 12,
    imgCount
};

QList<QIcon> BuildImageList();

// The program's own picture drawn at size x size pixels, for the desktop's
// icon theme.
QImage ApplicationImage(int size);
