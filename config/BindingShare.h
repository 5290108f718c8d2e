// Bindings moved between configurations: a file in conf.xml's layout that holds chosen
// bindings and the settings of the plugins they use, and the reading of such a file (or of a
// whole conf.xml) into the running configuration, through the one loader of conf.xml.
#ifndef TAMBREL_BINDINGSHARE_H
#define TAMBREL_BINDINGSHARE_H

#include <string>
#include <vector>

class TambrelEngine;

// The bindings of those ids (every one when ids is empty) written to path; false, and
// reported, when the file cannot be written.
bool ExportBindings(TambrelEngine* engine, const std::vector<int>& ids, const std::wstring& path);

enum class ImportResult { kBadFile, kCancelled, kImported };

// The file's bindings added to the engine's, each under a new id; one save writes conf.xml.
// A binding whose shortcut, filter and action are there already is skipped. The bindings that
// would never fire afterwards, and those that would make others so, are listed in a question
// first, and No changes nothing. A file that cannot be loaded gets the messages of conf.xml's
// load and changes nothing. Bindings of missing plugins keep their data, as at load. The
// file's plugin settings are taken only for plugins this configuration does not know yet:
// the user's own settings are never replaced. added and skipped, when given, count them.
ImportResult ImportBindings(TambrelEngine* engine, const std::wstring& path, int* added = nullptr,
                            int* skipped = nullptr);

#endif
