// Move-only owners of Win32 handles. Each kind names its close function and its empty value;
// NULL-empty and INVALID_HANDLE_VALUE-empty handles are different kinds. And COM's
// initialisation for one call.
#ifndef TAMBREL_UNIQUEHANDLE_H
#define TAMBREL_UNIQUEHANDLE_H

#include <windows.h>

#include <objbase.h>

template <typename Traits>
class UniqueHandle {
 public:
  typedef typename Traits::Type Type;

  UniqueHandle() : m_value(Traits::Empty()) {}
  explicit UniqueHandle(Type value) : m_value(value) {}
  UniqueHandle(UniqueHandle&& other) : m_value(other.Detach()) {}
  UniqueHandle& operator=(UniqueHandle&& other) {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Type Get() const { return m_value; }
  explicit operator bool() const { return m_value != Traits::Empty(); }
  Type Detach() {
    Type value = m_value;
    m_value = Traits::Empty();
    return value;
  }
  void Reset(Type value = Traits::Empty()) {
    if (m_value != Traits::Empty()) Traits::Close(m_value);
    m_value = value;
  }

 private:
  Type m_value;
};

struct HandleTraits {  // kernel handles that use NULL for none
  typedef HANDLE Type;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile and FindFirstFile-style: INVALID_HANDLE_VALUE for none
  typedef HANDLE Type;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};
struct FindHandleTraits {
  typedef HANDLE Type;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindClose(h); }
};
struct ChangeNotificationTraits {  // FindFirstChangeNotification
  typedef HANDLE Type;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindCloseChangeNotification(h); }
};
struct ViewTraits {
  typedef const void* Type;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { UnmapViewOfFile(p); }
};
struct ModuleTraits {
  typedef HMODULE Type;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { FreeLibrary(h); }
};
struct FontTraits {
  typedef HFONT Type;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { DeleteObject(h); }
};
struct IconTraits {
  typedef HICON Type;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { DestroyIcon(h); }
};

template <typename Interface>
struct ComTraits {  // COM interface pointers: one reference each
  typedef Interface* Type;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { p->Release(); }
};

typedef UniqueHandle<HandleTraits> UniqueKernelHandle;
typedef UniqueHandle<FileHandleTraits> UniqueFile;
typedef UniqueHandle<FindHandleTraits> UniqueFind;
typedef UniqueHandle<ChangeNotificationTraits> UniqueChangeNotification;
typedef UniqueHandle<ViewTraits> UniqueView;
typedef UniqueHandle<ModuleTraits> UniqueModule;
typedef UniqueHandle<FontTraits> UniqueFont;
typedef UniqueHandle<IconTraits> UniqueIcon;

// COM for the length of one call. The program has initialised it on its thread already, and
// then this only counts; a test or a thread without it gets it here.
class ComScope {
 public:
  ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(m_result)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT m_result;
};

#endif
