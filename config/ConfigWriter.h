// Writing: the engine's whole configuration as conf.xml's text, byte for byte what libxml2's
// formatted save of the document gives.
#ifndef TAMBREL_CONFIGWRITER_H
#define TAMBREL_CONFIGWRITER_H

#include <string>

#include "Digest.h"

class TambrelEngine;

// Whether a text starts as every text that ConfigurationText makes does.
bool StartsAsWritten(const std::string& text);

// False when libxml2 could not make the text (out of memory). between is called after every
// few hundred bindings.
bool ConfigurationText(TambrelEngine* engine, std::string* text, BetweenParts between = nullptr);

#endif
