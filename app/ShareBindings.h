// Export... and Import... of the main window: the file boxes around the sharing of bindings.
#ifndef TAMBREL_SHAREBINDINGS_H
#define TAMBREL_SHAREBINDINGS_H

#include <windows.h>

#include <string>

class TambrelEngine;

// The system's file box, which tests replace: save asks for a file to write. types lists
// the kinds of file as OPENFILENAME's filter does; *choice is the one shown first (from 1)
// and becomes the one chosen. False when the user cancelled.
typedef bool (*ChooseFileProc)(HWND owner, bool save, const wchar_t* types, int* choice, std::wstring* path);
extern ChooseFileProc gChooseFile;

// The chosen binding, or all of them (a choice of the save box), to a file.
void ExportFromWindow(HWND owner, TambrelEngine* engine);
// A file's bindings into the configuration; true when the list must show new ones.
bool ImportIntoWindow(HWND owner, TambrelEngine* engine);

#endif
