// Type Text: characters per second into a Unicode edit control of the benchmark's own, typed
// (Unicode key events, one SendInput call) and pasted (the clipboard and Ctrl+V), for 100 and
// 3,000 characters; and what saving the clipboard's old contents costs before a paste.
//
// The plugin object comes from the static library the DLL is made of and runs here, without
// Tambrel's keyboard hook (the real program's hook sees every typed key once more). The
// clock runs from Execute to the edit holding the whole text.
#include <windows.h>

#include <libxml/tree.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Library.h"
#include "TestSupport.h"
#include "XTools.h"
#include "typetext/ClipboardPaste.h"
#include "typetext/TypeTextPlugin.h"

namespace {

// count characters in lines of 50 with their line breaks, accents and an arrow among them.
std::string Text(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += i % 50 == 49 ? "\n" : i % 10 == 3 ? "\xC3\xA9" : i % 10 == 7 ? "\xE2\x86\x92" : std::string(1, 'a' + i % 26);
  return text;
}

std::wstring EditText(HWND edit) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
  return text;
}

// Seconds until the edit holds the text; 0 when it did not within the time.
double Run(TypeTextPlugin* plugin, HWND edit, int actionId, const std::wstring& expected) {
  SetWindowTextW(edit, L"");
  PumpFor(100);
  double began = Seconds();
  plugin->GetActionType()->Execute(actionId);
  if (!PumpUntil([&] { return GetWindowTextLengthW(edit) >= static_cast<int>(expected.size()); }, 180000)) return 0;
  double took = Seconds() - began;
  if (EditText(edit) != expected) return 0;
  // The paste's old contents back before the next run.
  if (ClipboardPaster* paster = plugin->Paster()) PumpUntil([&] { return !paster->Pending(); }, 5000);
  return took;
}

// The clipboard filled with a text and a block of bytes of the given sizes.
bool FillClipboard(HWND owner, size_t textChars, size_t bytes) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, (textChars + 1) * sizeof(wchar_t));
  wchar_t* chars = static_cast<wchar_t*>(GlobalLock(text));
  for (size_t i = 0; i < textChars; ++i) chars[i] = static_cast<wchar_t>(L'a' + i % 26);
  chars[textChars] = L'\0';
  GlobalUnlock(text);
  SetClipboardData(CF_UNICODETEXT, text);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  SetClipboardData(RegisterClipboardFormatA("Tambrel bench bytes"), block);
  return CloseClipboard() != 0;
}

}  // namespace

int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  InitPluginLibrary(GetModuleHandleA(nullptr));
  TempWorkDir dir({});
  std::string why = WhyNoXdotool(dir);
  if (!why.empty()) {
    printf("no Type Text figures: %s\n", why.c_str());
    return 0;
  }
  HWND frame = CreateWindowW(L"STATIC", L"Tambrel type text bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600,
                             400, nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 0, 0,
                            580, 360, frame, nullptr, nullptr, nullptr);
  UnixShell shell(dir);
  std::string output;
  if (!FocusWindow(shell, edit, "Tambrel type text bench", &output)) {
    printf("no Type Text figures: the edit did not get the focus\n");
    return 1;
  }

  TypeTextPlugin* plugin = new TypeTextPlugin;
  plugin->SetEnabled(true);
  xmlDoc* doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  const int sizes[] = {100, 3000};
  double typed[2] = {}, pasted[2] = {};
  for (int s = 0; s < 2; ++s) {
    std::string text = Text(sizes[s]);
    xmlNode* element = xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("actiontype"), nullptr);
    xmlAddChild(element, xmlNewDocText(doc, reinterpret_cast<const xmlChar*>(text.c_str())));
    plugin->GetActionType()->Load(s + 1, element->children);
    xmlFreeNode(element);
    std::wstring expected = ClipboardText(Utf8ToUtf16(text));
    plugin->SetPasteLongerThan(0);  // always typed
    typed[s] = Run(plugin, edit, s + 1, expected);
    plugin->SetPasteLongerThan(10);
    FillClipboard(frame, 1000, 1000);
    pasted[s] = Run(plugin, edit, s + 1, expected);
  }

  // What saving the old contents costs: formats rendered by their owner are asked for one by
  // one; large contents are copied whole, up to the limit.
  const struct {
    size_t chars, bytes;
  } kClipboards[] = {{1000, 1000}, {100000, 1 << 20}, {1000000, 16 << 20}, {1000, 80 << 20}};
  printf("Type Text into a Unicode edit of this program, its keyboard hook left out (characters per second)\n");
  printf("%12s %14s %14s %10s\n", "characters", "typed", "pasted", "pasted ms");
  for (int s = 0; s < 2; ++s)
    printf("%12d %14.0f %14.0f %10.1f\n", sizes[s], typed[s] > 0 ? sizes[s] / typed[s] : 0.0,
           pasted[s] > 0 ? sizes[s] / pasted[s] : 0.0, pasted[s] * 1e3);
  printf("\nsaving the clipboard before a paste (limits: %u formats, %u MB, %lu ms)\n",
         static_cast<unsigned>(kClipboardLimits.formats), static_cast<unsigned>(kClipboardLimits.bytes >> 20),
         static_cast<unsigned long>(kClipboardLimits.milliseconds));
  printf("%12s %12s %10s  %s\n", "text chars", "bytes", "ms", "outcome");
  for (const auto& c : kClipboards) {
    if (!FillClipboard(frame, c.chars, c.bytes)) continue;
    ClipboardSnapshot snapshot;
    std::string reason = "kept";
    double began = Seconds();
    if (OpenClipboard(frame)) {
      if (!snapshot.Save(kClipboardLimits, &reason)) reason = "typed instead: " + reason;
      CloseClipboard();
    }
    printf("%12u %12u %10.1f  %s\n", static_cast<unsigned>(c.chars), static_cast<unsigned>(c.bytes),
           (Seconds() - began) * 1e3, reason.c_str());
  }

  bool ok = pasted[1] > 0 && pasted[1] <= 2.0 && typed[0] > 0 && typed[1] > 0 && pasted[0] > 0;
  printf("\ngoals:\n  3,000 characters pasted within 2 s, every run complete: %s\n", ok ? "met" : "MISSED");
  xmlFreeDoc(doc);
  plugin->Release();
  DestroyWindow(frame);
  return ok ? 0 : 2;
}
