// Texts of the old file made fit for the configuration file.
#ifndef TAMBREL_CONFIGTEXT_H
#define TAMBREL_CONFIGTEXT_H

#include <string>

// The text, read in the system code page, as UTF-8 for an element or an attribute between
// double quotes: '"', '&', '<' and '>' become references, and the characters XML 1.0 cannot
// hold at all, not even as references (controls other than tab, LF and CR, U+FFFE, U+FFFF,
// unpaired surrogates), are dropped and counted in *dropped.
std::string XmlText(const std::string& text, unsigned* dropped);

// An execute record's data, "command?parameter?dir", where parameter and dir may be missing;
// parts after the third are ignored.
struct ExecuteParts {
  std::string command;
  std::string parameter;
  std::string dir;
};
ExecuteParts SplitExecuteData(const std::string& data);

#endif
