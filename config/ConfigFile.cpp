#include "ConfigFile.h"

#include "../engine/Engine.h"
#include "../engine/Messages.h"
#include "ConfigReader.h"
#include "ConfigWriter.h"
#include "WidePath.h"

// Long work on the thread of the keyboard hook (the text of thousands of bindings, digests of
// megabytes) lets the hook's calls in between its parts, so that no key of the desktop waits
// for all of it. Only sent messages are taken, the hook's calls among them: input and posted
// messages, through which the user could change the configuration meanwhile, wait for the
// loop.
static void LetTheHookIn() {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

ConfigStore& ConfigFile::Store() {
  if (!m_store) m_store.reset(new ConfigStore(m_engine->ConfigPath()));
  return *m_store;
}

bool ConfigFile::MakeText(std::string* text, size_t* headLength) {
  text->reserve(m_textSize + m_textSize / 16);
  if (!ConfigurationText(m_engine, text, LetTheHookIn, headLength)) return false;
  m_textSize = text->size();
  return true;
}

Digest ConfigFile::TextDigest() {
  std::string text;
  return MakeText(&text, nullptr) ? Digest::Of(text, LetTheHookIn) : Digest();
}

// --- What the configuration gave when it was last loaded or written ------------------------

void ConfigFile::SetBaseline(const Digest& whole) {
  m_baseline = whole;
  m_baselineHead = Digest();
}

// Right after a file was read in, what Tambrel would write differs from the file's bytes
// wherever they are not in its own layout (a hand edit, the converter's output). Writing all
// of it to learn that costs as much as a save, so only the head (options, key names, plugin
// settings) is made now; the bindings count as unchanged while the engine has seen no edit
// of them, since a plugin changes a binding's data only when it is loaded, applied or
// removed.
void ConfigFile::SetBaselineAfterRead() {
  std::string head;
  if (!ConfigurationHead(m_engine, &head)) {
    SetBaseline(TextDigest());
    return;
  }
  m_baseline = Digest();
  m_baselineHead = Digest::Of(head);
  m_baselineEdits = m_engine->BindingEdits();
}

bool ConfigFile::Unchanged(const std::string& text, size_t headLength, const Digest& whole) {
  if (m_baseline.IsFile()) return whole == m_baseline;
  return m_baselineHead.IsFile() && headLength != std::string::npos && headLength <= text.size() &&
         m_engine->BindingEdits() == m_baselineEdits && Digest::Of(text.data(), headLength) == m_baselineHead;
}

bool ConfigFile::Unchanged() {
  if (m_baseline.IsFile()) return TextDigest() == m_baseline;
  std::string head;
  return m_baselineHead.IsFile() && m_engine->BindingEdits() == m_baselineEdits &&
         ConfigurationHead(m_engine, &head) && Digest::Of(head) == m_baselineHead;
}

// --- Start-up --------------------------------------------------------------------------

bool ConfigFile::OfferBackup() {
  std::string when, bytes, error;
  if (!Store().BackupTime(&when)) return false;
  if (!AskQuestion(("conf.xml is missing. Start from the backup conf.xml.bak of " + when + "?").c_str())) return false;
  // The backup stays as it is: it is put in place as a copy.
  if (Store().Read(&bytes, &error, true) != ConfigStore::kRead || !Store().Replace(bytes, nullptr)) {
    ReportErrorFormat("Couldn't restore the backup %s!\n\n%s", ShownText(Store().BackupPath()).c_str(), error.c_str());
    return false;
  }
  return true;
}

bool ConfigFile::Load() {
  // Only named in texts: the file itself is read through the store.
  std::string path = ShownText(m_engine->ConfigPath());
  std::string bytes, error;
  if (Store().Read(&bytes, &error) != ConfigStore::kRead) {
    ReportErrorFormat("Couldn't open configuration file %s!\n\n%s", path.c_str(), error.c_str());
    return false;
  }
  xmlNode* root = nullptr;
  xmlDocPtr doc = ParseReported(bytes, path, &root);
  if (doc == nullptr) return false;
  ConfigReader(m_engine).Apply(root);
  m_known = Digest::Of(bytes);
  m_knownIsGood = true;
  m_textSize = bytes.size();
  xmlFreeDoc(doc);  // before the baseline is made: the heap has its room again
  // A file that starts as Tambrel's own files do is taken to be one it wrote.
  if (StartsAsWritten(bytes))
    SetBaseline(m_known);
  else
    SetBaselineAfterRead();
  return true;
}

void ConfigFile::LoadDefaults() {
  ConfigReader reader(m_engine);
  reader.LoadDefaultKeys();
  reader.DetectNewPlugins();
  m_known = Digest();
  SetBaseline(Digest());
  m_knownIsGood = false;  // what Tambrel writes from defaults never becomes the backup
}

// --- Writing ---------------------------------------------------------------------------

bool ConfigFile::KeepOtherFile(const std::string& bytes) {
  m_otherKept = Store().KeepAside(bytes);
  if (m_otherKept.empty()) return false;
  m_engine->ShowNotice(("conf.xml held changes of another program that Tambrel did not load. Tambrel writes its "
                        "configuration now, and the other file is kept as " +
                        ShownText(m_otherKept) + ".")
                           .c_str());
  return true;
}

bool ConfigFile::Save() {
  std::string text, disk, error;
  size_t headLength = 0;
  if (!MakeText(&text, &headLength)) {
    ReportError("Error writing configuration file!");
    return false;
  }
  bool read = Store().Read(&disk, &error) == ConfigStore::kRead;
  if (read && disk == text) return true;  // the file holds it already: no digest needed
  Digest wanted = Digest::Of(text, LetTheHookIn);
  bool unchanged = Unchanged(text, headLength, wanted);
  Digest onDisk = read ? Digest::Of(disk, LetTheHookIn) : Digest();
  bool known = read && onDisk == m_known;
  if (read && !known && onDisk != m_other) {
    // Another program changed the file, and nobody has looked at it yet (a save within the
    // quiet time, or behind a modal box). With nothing of Tambrel's own to write, the
    // other file stands: it is loaded, or left alone when it cannot be.
    if (unchanged && !m_taking) {
      TakeChange(disk, onDisk, false);
      return true;
    }
    m_other = onDisk;  // both changed: Tambrel's configuration is written, the other file kept
    m_otherKept.clear();
  }
  // Nothing new to write: what is on disk stays, Tambrel's own file or another program's that
  // was dealt with. (A file that is gone is written again.)
  if (read && unchanged && (known || onDisk == m_other)) return true;
  if (read && onDisk == m_other && m_otherKept.empty() && !KeepOtherFile(disk)) {
    ReportError("Error writing configuration file!");
    return false;
  }
  // Only a file that was loaded, or written from one, becomes the backup: never one made
  // from defaults, never another program's that was not loaded.
  if (!Store().Replace(text, known && m_knownIsGood ? &disk : nullptr)) {
    ReportError("Error writing configuration file!");
    return false;
  }
  m_known = wanted;
  SetBaseline(wanted);
  return true;
}

// --- Changes of other programs ---------------------------------------------------------

void ConfigFile::TakeChanges() {
  if (m_taking) return;  // the last change is still being taken
  std::string bytes, error;
  // A file that is gone is written again at the next save; one that cannot be read now is
  // looked at again with the next change.
  if (Store().Read(&bytes, &error) != ConfigStore::kRead) return;
  Digest digest = Digest::Of(bytes, LetTheHookIn);
  if (digest == m_known || digest == m_other) return;
  TakeChange(bytes, digest, true);
}

void ConfigFile::TakeChange(const std::string& bytes, const Digest& digest, bool mayAsk) {
  // Its parts let sent messages in, a question waits for the user: a save or another look
  // at the file meanwhile must not take the same change again.
  struct Taking {
    bool& flag;
    explicit Taking(bool& f) : flag(f) { flag = true; }
    ~Taking() { flag = false; }
  } taking(m_taking);
  std::string reason;
  xmlDocPtr doc =
      ParseConfiguration(bytes.data(), bytes.size(), ShownText(m_engine->ConfigPath()), &reason, LetTheHookIn);
  xmlNode* root = doc != nullptr ? ConfigurationRoot(doc, &reason) : nullptr;
  m_other = digest;
  m_otherKept.clear();
  if (root == nullptr) {
    if (doc != nullptr) xmlFreeDoc(doc);
    m_engine->ShowNotice(("conf.xml was changed, but Tambrel cannot load it and keeps running with the bindings it "
                          "has. It will not write over the file.\n\n" +
                          reason)
                             .c_str());
    return;
  }
  bool load = !mayAsk || (!m_engine->EditingBinding() && Unchanged()) ||
              AskQuestion(
                  "conf.xml was changed by another program. Load it now?\n\nWhat was changed in Tambrel and not yet "
                  "written to conf.xml, the binding being edited included, is then lost. With No, Tambrel keeps it, "
                  "and when it next writes conf.xml, it keeps the other file beside it.");
  if (load) Replace(root, digest);
  xmlFreeDoc(doc);
}

void ConfigFile::Replace(xmlNode* root, const Digest& digest) {
  // The hook may come in between bindings going and coming: a key then finds some of the
  // old bindings or some of the new, and what it fires runs after the load, if it is there.
  EngineOptions before = m_engine->ClearConfiguration(LetTheHookIn);
  {
    // Problems of single entries go to the log: the user did not start this.
    QuietReports quiet;
    ConfigReader(m_engine, LetTheHookIn).Apply(root);
  }
  m_known = digest;
  m_knownIsGood = true;
  m_other = Digest();
  SetBaselineAfterRead();
  m_engine->ConfigurationReplaced(before);
}
