#include "HeldModifiers.h"

const WORD kSidedModifiers[8] = {VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LSHIFT, VK_RSHIFT, VK_LWIN, VK_RWIN};

namespace {

const unsigned kAltOrWin = (1u << 2) | (1u << 3) | (1u << 6) | (1u << 7);

}  // namespace

INPUT KeyInput(WORD vk, bool release) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
  input.ki.dwExtraInfo = kOwnInputMark;
  // Right-hand Ctrl and Alt and both Win keys are extended keys.
  if (vk == VK_RCONTROL || vk == VK_RMENU || vk == VK_LWIN || vk == VK_RWIN) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return input;
}

unsigned HeldModifierKeys() {
  unsigned held = 0;
  for (unsigned i = 0; i < 8; ++i)
    if (GetAsyncKeyState(kSidedModifiers[i]) & 0x8000) held |= 1u << i;
  return held;
}

std::vector<INPUT> WithModifiersReleased(const std::vector<INPUT>& input, unsigned held) {
  std::vector<INPUT> wrapped;
  if (held == 0 || input.empty()) return input;
  wrapped.reserve(input.size() + 18);
  if (held & kAltOrWin) {
    wrapped.push_back(KeyInput(kMaskKey, false));
    wrapped.push_back(KeyInput(kMaskKey, true));
  }
  for (unsigned i = 0; i < 8; ++i)
    if (held & (1u << i)) wrapped.push_back(KeyInput(kSidedModifiers[i], true));
  wrapped.insert(wrapped.end(), input.begin(), input.end());
  for (unsigned i = 0; i < 8; ++i)
    if (held & (1u << i)) wrapped.push_back(KeyInput(kSidedModifiers[i], false));
  return wrapped;
}

void SendTyped(const std::vector<INPUT>& input) {
  std::vector<INPUT> all = WithModifiersReleased(input, HeldModifierKeys());
  for (INPUT& record : all) record.ki.dwExtraInfo = kOwnInputMark;
  if (!all.empty()) SendInput(static_cast<UINT>(all.size()), all.data(), sizeof(INPUT));
}
