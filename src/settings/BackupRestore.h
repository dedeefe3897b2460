#pragma once

class BackupWindow;

// The settings window's backup of the data folder: plain copies of the files
// that lie directly in it (FolderCopy::listFiles), each replacing an older
// copy of the same name. Messages are in the window's language.

// Asks for a new backup folder and takes it into the backup field after
// "Resume new path?" is confirmed; choosing the folder already set asks
// nothing.
void ChooseBackupFolder(BackupWindow &window);

// Copies the data folder's files into the folder of the backup field and
// reports the count. Returns the number of files copied, or -1 when the run
// ended before copying (no folder set, cancelled, folder missing).
int BackupData(BackupWindow &window);

// Copies the backup folder's files back into the data folder (DataRestore:
// a backup without a personal key is refused, the replaced files are kept in
// a dated folder inside the data folder) and reports the count and where the
// previous files are. Returns the number restored, or -1 when the run ended
// before copying.
int RestoreData(BackupWindow &window);
