#include "ConfigStore.h"

#include <stdio.h>

BOOL(WINAPI* gConfigWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = WriteFile;
BOOL(WINAPI* gConfigHardLink)(LPCWSTR, LPCWSTR, LPSECURITY_ATTRIBUTES) = CreateHardLinkW;

std::string SystemText(DWORD error) {
  char text[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  return text;
}

bool ReadWholeFile(const std::wstring& path, std::string* bytes, DWORD* error) {
  bytes->clear();
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.HighPart != 0 || size.LowPart > 0x7FFFFFFF) {
    *error = GetLastError();
    return false;
  }
  bytes->resize(size.LowPart);
  DWORD read = 0;
  if (size.LowPart > 0 &&
      (!ReadFile(file.Get(), &(*bytes)[0], size.LowPart, &read, nullptr) || read != size.LowPart)) {
    *error = GetLastError();
    bytes->clear();
    return false;
  }
  return true;
}

namespace {

// The text in a file of that name, made anew, flushed to the disk. A file that is not
// complete is not left behind.
bool WriteFlushed(const std::wstring& path, const std::string& text) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bool written = true;
  for (size_t at = 0; written && at < text.size();) {
    DWORD chunk = static_cast<DWORD>(text.size() - at < 0x100000 ? text.size() - at : 0x100000);
    DWORD done = 0;
    written = gConfigWriteFile(file.Get(), text.data() + at, chunk, &done, nullptr) && done == chunk;
    at += chunk;
  }
  if (written && FlushFileBuffers(file.Get())) return true;
  file.Reset();
  DeleteFileW(path.c_str());
  return false;
}

bool Rename(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

ConfigStore::ReadResult ConfigStore::Read(std::string* bytes, std::string* error, bool backup) const {
  DWORD code = 0;
  if (ReadWholeFile(backup ? BackupPath() : m_path, bytes, &code)) return kRead;
  *error = SystemText(code);
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? kMissing : kUnreadable;
}

// (ReplaceFile would keep the old file's attributes, but it moves the old file away before it
// moves the new one in, and a stop between the two leaves neither.)
bool ConfigStore::Replace(const std::string& text, const std::string* oldBytes) {
  std::wstring temporary = m_path + L".new";
  if (!WriteFlushed(temporary, text)) return false;
  if (oldBytes != nullptr) {
    // A second name for the old file where the file system has them, else a flushed copy of
    // its bytes; either under a name of its own first, so that the old backup stays whole
    // until the new one is complete. Best effort: the save does not depend on it.
    std::wstring backup = BackupPath(), next = backup + L".new";
    DeleteFileW(next.c_str());
    if (gConfigHardLink(next.c_str(), m_path.c_str(), nullptr) || WriteFlushed(next, *oldBytes)) {
      if (!Rename(next, backup)) DeleteFileW(next.c_str());
    }
  }
  if (Rename(temporary, m_path)) return true;
  DeleteFileW(temporary.c_str());
  return false;
}

std::wstring ConfigStore::KeepAside(const std::string& bytes) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stamp[32];
  swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
           now.wMinute, now.wSecond);
  std::wstring base = m_path + L".not-loaded-" + stamp;
  for (int n = 1; n < 100; ++n) {
    std::wstring name = n == 1 ? base : base + L"-" + std::to_wstring(n);
    std::wstring temporary = name + L".new";
    // Never over another kept file: the name is taken only when it is free.
    if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (!WriteFlushed(temporary, bytes)) return std::wstring();
    if (MoveFileExW(temporary.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) return name;
    DeleteFileW(temporary.c_str());
  }
  return std::wstring();
}

bool ConfigStore::BackupTime(std::string* text) const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(BackupPath().c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  FILETIME local;
  SYSTEMTIME time;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &time);
  char date[64] = "", clock[64] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
  *text = std::string(date) + " " + clock;
  return true;
}

HANDLE ConfigStore::WatchHandle() {
  if (!m_watchTried) {
    m_watchTried = true;
    std::wstring folder = m_path.substr(0, m_path.find_last_of(L'\\'));
    if (folder.empty() || folder.back() == L':') folder += L'\\';
    m_watch.Reset(FindFirstChangeNotificationW(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
  }
  return m_watch.Get();
}

void ConfigStore::Rearm() {
  if (m_watch && !FindNextChangeNotification(m_watch.Get())) m_watch.Reset();
}
