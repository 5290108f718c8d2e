// Reading configuration text into the engine: the one loader that start-up, a reload of a
// changed conf.xml and any other reading of such a file go through.
#ifndef TAMBREL_CONFIGREADER_H
#define TAMBREL_CONFIGREADER_H

#include <libxml/tree.h>

#include <string>

#include "Digest.h"

class TambrelEngine;

// The text parsed into a document, or null with the reason in the system code page
// ("Line 3: ..." where libxml2 names one). The network is never read, no DTD is loaded and
// no entity is substituted; a DOCTYPE that declares entities is refused before any is used,
// so a hostile file stays small. path names the file in libxml2's messages; between is
// called between the parts of a large text.
extern const char kInternalParserError[];  // the reason when libxml2 cannot even begin
xmlDocPtr ParseConfiguration(const char* text, size_t size, const std::string& path, std::string* error,
                             BetweenParts between = nullptr);

// The document's <tambrel> element, or null with the warning that start-up gives for a
// document without one or without its version (not reported).
xmlNode* ConfigurationRoot(xmlDocPtr doc, std::string* warning);

// Both of the above, with their root in *root, for a file named shown that the user asked to
// load: what keeps it from loading is reported as conf.xml's load reports it, and null returned.
xmlDocPtr ParseReported(const std::string& bytes, const std::string& shown, xmlNode** root);

class ConfigReader {
 public:
  // between, when given, is called between bindings now and then.
  explicit ConfigReader(TambrelEngine* engine, BetweenParts between = nullptr) : m_engine(engine), m_between(between) {}

  // A document that ConfigurationRoot accepts, into the engine: options, key names, plugin
  // settings, new plugins, bindings. Problems of single entries are reported and skipped.
  void Apply(xmlNode* root);
  // The bindings of an <actions> element, each under the engine's next action id, with the
  // rules of version "2.0" files or the current ones.
  void LoadBindings(xmlNode* actions, bool version20);

  // The built-in key names, for a start without a file.
  void LoadDefaultKeys();
  // Plugins that no file listed are active, and configured if they ask for it; then every
  // plugin is disabled and knows the engine, for SetActive to enable.
  void DetectNewPlugins();

 private:
  void LoadOptions(xmlNode* options);
  void LoadKeys(xmlNode* keysOption);
  void LoadPlugins(xmlNode* plugins);
  void LoadActions(xmlNode* actions);
  void LoadActionsVersion20(xmlNode* actions);

  void Between(int bindings);

  TambrelEngine* m_engine;
  BetweenParts m_between;
};

#endif
