// conf.xml: everything Tambrel keeps between runs, and the rules that keep what a user wrote.
// Reading, writing and the file itself are units of their own (ConfigReader, ConfigWriter,
// ConfigStore); this one decides when a file is loaded, written, backed up or kept aside.
//
// Tambrel remembers the file's bytes as it last loaded or wrote them. A file on disk that
// differs was changed by another program: it is loaded (while running, once the folder has
// been quiet for a moment), or kept beside conf.xml under a name of its own before Tambrel
// writes over it, when it cannot be loaded or the user keeps Tambrel's changes instead.
#ifndef TAMBREL_CONFIGFILE_H
#define TAMBREL_CONFIGFILE_H

#include <libxml/tree.h>
#include <windows.h>

#include <memory>
#include <string>

#include "ConfigStore.h"
#include "Digest.h"

class TambrelEngine;

class ConfigFile {
 public:
  explicit ConfigFile(TambrelEngine* engine) : m_engine(engine) {}
  ConfigFile(const ConfigFile&) = delete;
  ConfigFile& operator=(const ConfigFile&) = delete;

  // conf.xml is missing and its backup is there: asks whether to start from the backup, and
  // on Yes puts it in place. True when conf.xml is there afterwards.
  bool OfferBackup();
  bool Load();  // false stops start-up; the reasons are reported
  // A start without a file: the built-in key names and every plugin new.
  void LoadDefaults();

  // Writes the engine's configuration unless the file holds it already. False when it
  // could not be written (reported); the old file is then whole.
  bool Save();

  // The folder's change notification for the message loop; invalid when it cannot be had.
  HANDLE WatchHandle() { return Store().WatchHandle(); }
  void Rearm() { Store().Rearm(); }
  // The folder has been quiet after a change: a conf.xml changed by another program is
  // loaded in place of the running configuration; the user is asked first when Tambrel has
  // changes of its own not yet written or a binding is being edited. A file that cannot be
  // loaded leaves everything as it is and is reported once.
  void TakeChanges();

 private:
  ConfigStore& Store();
  void TakeChange(const std::string& bytes, const Digest& digest, bool mayAsk);
  void Replace(xmlNode* root, const Digest& digest);
  bool KeepOtherFile(const std::string& bytes);
  bool MakeText(std::string* text, size_t* headLength);
  Digest TextDigest();
  void SetBaseline(const Digest& whole);
  void SetBaselineAfterRead();
  // Whether the configuration gives what it gave at the baseline: for a text just made (its
  // head's length and digest given), or made for the question.
  bool Unchanged(const std::string& text, size_t headLength, const Digest& whole);
  bool Unchanged();

  TambrelEngine* m_engine;
  std::unique_ptr<ConfigStore> m_store;
  Digest m_known;            // conf.xml's bytes as last loaded or written
  Digest m_baseline;         // the text the configuration gave right then, when known whole;
  Digest m_baselineHead;     // else its head, while the engine counted this many binding edits
  unsigned m_baselineEdits = 0;
  bool m_knownIsGood = false;  // m_known came from a loaded file, not from defaults alone
  Digest m_other;            // a file of another program, dealt with but not loaded
  std::wstring m_otherKept;  // where its bytes were kept, once Tambrel wrote over it
  bool m_taking = false;     // a change is being taken (parsed, asked about, read in)
  size_t m_textSize = 0;     // of the last text made or file loaded: room for the next text
};

#endif
