#pragma once
// Where running simulated instruments announce their ports, so the viewer's
// connection dialog can offer them beside the real serial devices.
//
// Each simulator writes one file named after its process id into
// PublishedPortsDir(); the file holds the device path of its pseudo-terminal
// on its first line. The file is removed when the simulator stops; files of
// simulators that died are skipped because their device no longer exists.

#include <QString>
#include <QStringList>

// The folder: $XDG_RUNTIME_DIR/kd4620-sim, or the system's temporary folder
// with the user's id when there is no runtime folder. It is made open to
// this user only (mode 0700); a folder of that name that another user owns,
// that others may write to, or that is a link, is never used: nothing is
// announced in it and nothing is read from it.
QString PublishedPortsDir();

// Announces a port (creates the folder as needed). Returns the file written,
// or an empty text when it could not be written (the folder is not private).
QString PublishPort(const QString &devicePath);
// Removes the announcement written by PublishPort.
void WithdrawPort(const QString &announcementFile);

// Device paths of every announced port that still exists, sorted as text;
// only announcements of this user's, in a folder only this user can write.
QStringList PublishedPorts();
