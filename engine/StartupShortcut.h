// Starting Tambrel when the user signs in: a shortcut in the user's Startup folder that starts
// this program in the folder that holds its conf.xml and plugins. No registry setting.
// Paths are UTF-16 throughout, so any folder name works.
#ifndef TAMBREL_STARTUPSHORTCUT_H
#define TAMBREL_STARTUPSHORTCUT_H

#include <string>
#include <vector>

// This process's program file; empty when it cannot be read.
std::wstring ThisProgram();
// <Startup>\Tambrel.lnk, the shortcut Tambrel makes; empty when the system names no Startup
// folder.
std::wstring StartupShortcutPath();
// The shortcuts of the Startup folder that start program, whatever their names.
std::vector<std::wstring> FindStartupShortcuts(const std::wstring& program);
// Writes <Startup>\Tambrel.lnk, replacing one there: program, started in workingFolder.
bool CreateStartupShortcut(const std::wstring& program, const std::wstring& workingFolder);
// Deletes every shortcut of the Startup folder that starts program; false when one stays.
bool RemoveStartupShortcuts(const std::wstring& program);

#endif
