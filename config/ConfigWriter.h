// Writing: the engine's whole configuration as conf.xml's text, byte for byte what libxml2's
// formatted save of the document gives.
#ifndef TAMBREL_CONFIGWRITER_H
#define TAMBREL_CONFIGWRITER_H

#include <string>
#include <vector>

#include "Digest.h"

class TambrelEngine;

// Whether a text starts as every text that ConfigurationText makes does.
bool StartsAsWritten(const std::string& text);

// False when libxml2 could not make the text (out of memory). between is called after every
// few hundred bindings. The text is grown in place: room reserved in it beforehand (the size
// of the last such text, say) spares copying megabytes as it grows.
// headLength, when given, is set to the length of the text's head (everything before the
// bindings: declaration, root, options, plugins), or npos where that is not known.
bool ConfigurationText(TambrelEngine* engine, std::string* text, BetweenParts between = nullptr,
                       size_t* headLength = nullptr);

// The head alone, as ConfigurationText starts; false when it cannot be told apart (a plugin's
// settings beyond what the formatted writer knows).
bool ConfigurationHead(TambrelEngine* engine, std::string* head);

// The bindings of those ids in the file's layout, for another configuration: the settings
// of the plugins they use and the bindings, no options. False when libxml2 could not make it.
bool BindingsText(TambrelEngine* engine, const std::vector<int>& ids, std::string* text);

// One binding's <action> element as the file would hold it: two bindings with the same text
// have the same shortcut, filter and action. Empty for an unknown binding.
std::string BindingText(TambrelEngine* engine, int actionId);

#endif
