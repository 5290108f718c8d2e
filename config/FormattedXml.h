// A node written exactly as libxml2's formatted save of a document without a declared
// encoding writes it (two spaces per level, characters beyond ASCII as references), straight
// into a text. libxml2 writes through an output layer that costs more than building the
// text itself; conf.xml has tens of thousands of small nodes.
//
// Only what conf.xml is made of is written: elements and attributes without namespaces,
// text and comments, well-formed UTF-8. For anything else the writer says so, and the
// caller lets libxml2 write the document.
#ifndef TAMBREL_FORMATTEDXML_H
#define TAMBREL_FORMATTEDXML_H

#include <libxml/tree.h>

#include <string>

// False when libxml2's formatting settings are not its defaults (indent string, indenting,
// empty tags), which this writer assumes.
bool FormattingIsDefault();

// Appends node as libxml2 writes it at the given depth of a formatted document: without the
// indent before it and the line end after it. False when node holds something this writer
// does not know; out then holds a part of it.
bool AppendFormatted(std::string* out, const xmlNode* node, int level);

#endif
