// conf.xml as a file: read whole, replaced in one step, its backup, files kept beside it,
// and the watch on its folder. It knows bytes, not configurations. Its names are UTF-16, for
// the W functions: the folder may have any name.
#ifndef TAMBREL_CONFIGSTORE_H
#define TAMBREL_CONFIGSTORE_H

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

// The write call of a replacement, for tests that make the disk run full where no small file
// system of their own can be had; and the hard link of the backup, for tests of a file system
// without them (FAT32, exFAT, some network folders).
extern BOOL(WINAPI* gConfigWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
extern BOOL(WINAPI* gConfigHardLink)(LPCWSTR, LPCWSTR, LPSECURITY_ATTRIBUTES);

// The system's text for an error code.
std::string SystemText(DWORD error);

// A file's bytes, read whole (at most 2 GB); the error code when it cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string* bytes, DWORD* error);

class ConfigStore {
 public:
  explicit ConfigStore(const std::wstring& path) : m_path(path) {}
  ConfigStore(const ConfigStore&) = delete;
  ConfigStore& operator=(const ConfigStore&) = delete;

  const std::wstring& Path() const { return m_path; }
  std::wstring BackupPath() const { return m_path + L".bak"; }

  enum ReadResult { kRead, kMissing, kUnreadable };
  // The whole file, or its backup; the reason in the system's words when it cannot be read.
  ReadResult Read(std::string* bytes, std::string* error, bool backup = false) const;

  // The text goes beside the file, is flushed, and then takes the file's name in one step:
  // at every moment, a kill or a power cut included, the file holds the old or the new text
  // whole. With oldBytes, the file it replaces (whose bytes they are) first becomes the
  // backup, which likewise never holds half a file. False when the text could not be
  // written; the file is then as it was.
  bool Replace(const std::string& text, const std::string* oldBytes);

  // Bytes that must not be lost, in a new file beside conf.xml whose name says they were
  // not loaded; its full name, or empty when it could not be written.
  std::wstring KeepAside(const std::string& bytes);

  // The backup's last write time in the user's local date and time format; false when there
  // is no backup.
  bool BackupTime(std::string* text) const;

  // The folder's change notification, made on first use: signaled by any change of a file's
  // name, size or time in the folder (Tambrel's own writes and the log included). Rearm after
  // each signal. Invalid when the folder cannot be watched.
  HANDLE WatchHandle();
  void Rearm();

 private:
  std::wstring m_path;
  UniqueChangeNotification m_watch;
  bool m_watchTried = false;
};

#endif
