/// The launcher's own folder, where its disc is when a person starts it from elsewhere.
#ifndef KOVA_LAUNCHER_OWNFOLDER_H
#define KOVA_LAUNCHER_OWNFOLDER_H

#include <windows.h>

namespace autorun {

/// Writes into `folder`, which holds `capacity` units, the folder of the launcher's own
/// file as GetModuleFileNameW names it, up to and with its last separator ("D:\" of
/// "D:\autorun.exe", so that a drive's root stays its root), terminated. False when Windows
/// names no file, or a name that the capacity cut short, or one without a folder.
bool OwnFolder(WCHAR* folder, DWORD capacity);

/// Makes the launcher's own folder the current directory, as AutoPlay sets it when it
/// starts the launcher from a disc. False when the folder is not known or cannot be entered.
bool EnterOwnFolder();

} // namespace autorun

#endif
