// conf.xml: the reader and writer of everything Tambrel keeps between runs. It works on the
// engine it belongs to; its only state of its own is what it keeps for missing plugins.
#ifndef TAMBREL_CONFIGFILE_H
#define TAMBREL_CONFIGFILE_H

#include <libxml/tree.h>
#include <windows.h>

#include <map>
#include <utility>

class ReplacementFile;
class TambrelEngine;
struct PluginRecord;

// The write call of Save, for tests that make the disk run full where no small file system
// of their own can be had.
extern BOOL(WINAPI* gConfigWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

class ConfigFile {
 public:
  explicit ConfigFile(TambrelEngine* engine) : m_engine(engine) {}
  ~ConfigFile();
  ConfigFile(const ConfigFile&) = delete;
  ConfigFile& operator=(const ConfigFile&) = delete;

  bool Load();  // false stops start-up; the reasons are reported
  // Writes the file beside the old one and then replaces it, so a failure (reported) leaves
  // the old file whole. False when the file could not be written.
  bool Save();
  void LoadDefaultKeys();
  void DetectNewPlugins();

  enum Side { kShortcut, kAction };
  // Bindings removed from the table take what was kept for them along; a side moved to
  // another plugin takes only its own.
  void ForgetAction(int actionId);
  void ForgetSide(int actionId, Side side);

 private:
  void LoadOptions(xmlNode* options);
  void LoadKeys(xmlNode* keysOption);
  void LoadPlugins(xmlNode* plugins);
  void LoadActions(xmlNode* actions);
  void LoadActionsVersion20(xmlNode* actions);
  void Keep(xmlNode** slot, xmlNode* element);
  void KeepForAction(int actionId, Side side, xmlNode* element);
  xmlNode* AddOptions(xmlNode* root);
  xmlNode* AddPlugins(xmlNode* root);
  void SaveSide(int actionId, Side side, PluginRecord* record, xmlNode* element);
  xmlDocPtr BuildDocument();
  void WriteDocument(ReplacementFile* file);
  bool WriteStreamed(ReplacementFile* file);
  bool IsMissing(int pluginId);
  void WriteKept(xmlNode* element, xmlNode* kept);

  TambrelEngine* m_engine;
  // A plugin that no library provides keeps its settings and binding data as read, so one
  // run without its library does not erase them. The copies live in a document of their own.
  xmlDocPtr m_kept = nullptr;
  std::map<int, xmlNode*> m_keptSettings;                     // plugin id -> children
  std::map<std::pair<int, Side>, xmlNode*> m_keptActionData;  // (action id, side) -> children
};

#endif
