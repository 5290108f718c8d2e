// Starting Tambrel when the user signs in: a shortcut in the user's Startup folder that starts
// this program in the folder that holds its conf.xml and plugins. No registry setting.
#ifndef TAMBREL_STARTUPSHORTCUT_H
#define TAMBREL_STARTUPSHORTCUT_H

#include <string>
#include <vector>

// This process's program file.
std::string ThisProgram();
// <Startup>\Tambrel.lnk, the shortcut Tambrel makes; empty when the system names no Startup
// folder.
std::string StartupShortcutPath();
// The shortcuts of the Startup folder that start program, whatever their names.
std::vector<std::string> FindStartupShortcuts(const std::string& program);
// Writes <Startup>\Tambrel.lnk, replacing one there: program, started in workingFolder.
bool CreateStartupShortcut(const std::string& program, const std::string& workingFolder);
// Deletes every shortcut of the Startup folder that starts program; false when one stays.
bool RemoveStartupShortcuts(const std::string& program);

#endif
