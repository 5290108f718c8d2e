// Writing: the engine's whole configuration as conf.xml's text, byte for byte what libxml2's
// formatted save of the document gives.
#ifndef TAMBREL_CONFIGWRITER_H
#define TAMBREL_CONFIGWRITER_H

#include <string>

class TambrelEngine;

// False when libxml2 could not make the text (out of memory).
bool ConfigurationText(TambrelEngine* engine, std::string* text);

#endif
