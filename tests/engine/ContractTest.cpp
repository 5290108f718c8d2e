// The contract's tables must keep their slot order and its records their layout: plugins
// built elsewhere call by position and read by offset.
#include <gtest/gtest.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "TambrelPlugin.h"

namespace {

// Under the Itanium C++ ABI a pointer to a virtual member holds 1 + the slot's byte offset.
template <typename F>
size_t SlotOf(F member) {
  struct {
    uintptr_t ptr;
    ptrdiff_t adjust;
  } rep;
  static_assert(sizeof member == sizeof rep, "member pointer layout");
  memcpy(&rep, &member, sizeof rep);
  return (rep.ptr - 1) / sizeof(void*);
}

#define EXPECT_SLOT(n, member) EXPECT_EQ(size_t(n), SlotOf(&member)) << #member

TEST(Contract, PluginOperationsKeepTheirSlots) {
  EXPECT_SLOT(0, Plugin::Release);
  EXPECT_SLOT(1, Plugin::GetDebugInfo);
  EXPECT_SLOT(2, Plugin::GetName);
  EXPECT_SLOT(3, Plugin::GetGuid);
  EXPECT_SLOT(4, Plugin::CheckVersion);
  EXPECT_SLOT(5, Plugin::GetIcon);
  EXPECT_SLOT(6, Plugin::LoadSettings);
  EXPECT_SLOT(7, Plugin::SaveSettings);
  EXPECT_SLOT(8, Plugin::HasSettingsPage);
  EXPECT_SLOT(9, Plugin::CreateSettingsPage);
  EXPECT_SLOT(10, Plugin::DestroySettingsPage);
  EXPECT_SLOT(11, Plugin::ShowSettingsPage);
  EXPECT_SLOT(12, Plugin::PreTranslateMessage);
  EXPECT_SLOT(13, Plugin::GetTypes);
  EXPECT_SLOT(14, Plugin::NeedsConfiguration);
  EXPECT_SLOT(15, Plugin::Configure);
  EXPECT_SLOT(16, Plugin::IsEnabled);
  EXPECT_SLOT(17, Plugin::SetEnabled);
  EXPECT_SLOT(18, Plugin::SetEngine);
  EXPECT_SLOT(19, Plugin::WantsKeyEvents);
  EXPECT_SLOT(20, Plugin::OnKeyEvent);
  EXPECT_SLOT(21, Plugin::GetActionType);
  EXPECT_SLOT(22, Plugin::GetShortcutType);
  EXPECT_SLOT(23, Plugin::GetNotifyHandler);
  EXPECT_SLOT(24, Plugin::GetToggleHandler);
}

TEST(Contract, RoleInterfacesKeepTheirSlots) {
  EXPECT_SLOT(0, ActionType::Load);
  EXPECT_SLOT(1, ActionType::Apply);
  EXPECT_SLOT(2, ActionType::Save);
  EXPECT_SLOT(3, ActionType::Select);
  EXPECT_SLOT(4, ActionType::Remove);
  EXPECT_SLOT(5, ActionType::Execute);
  EXPECT_SLOT(6, ActionType::GetActionText);
  EXPECT_SLOT(7, ActionType::GetName);
  EXPECT_SLOT(8, ActionType::HasPage);
  EXPECT_SLOT(9, ActionType::CreatePage);
  EXPECT_SLOT(10, ActionType::DestroyPage);
  EXPECT_SLOT(11, ActionType::ShowPage);

  EXPECT_SLOT(0, ShortcutType::Load);
  EXPECT_SLOT(1, ShortcutType::Apply);
  EXPECT_SLOT(2, ShortcutType::Save);
  EXPECT_SLOT(3, ShortcutType::Select);
  EXPECT_SLOT(4, ShortcutType::Remove);
  EXPECT_SLOT(5, ShortcutType::GetShortcutText);
  EXPECT_SLOT(6, ShortcutType::GetName);
  EXPECT_SLOT(7, ShortcutType::HasPage);
  EXPECT_SLOT(8, ShortcutType::CreatePage);
  EXPECT_SLOT(9, ShortcutType::DestroyPage);
  EXPECT_SLOT(10, ShortcutType::ShowPage);

  EXPECT_SLOT(0, NotifyHandler::OnToggle);
}

TEST(Contract, EngineOperationsKeepTheirSlots) {
  EXPECT_SLOT(0, Engine::SetToggled);
  EXPECT_SLOT(1, Engine::IsDialogVisible);
  EXPECT_SLOT(2, Engine::ShowDialog);
  EXPECT_SLOT(3, Engine::GetAction);
  EXPECT_SLOT(4, Engine::GetPlugin);
  EXPECT_SLOT(5, Engine::ExecuteAction);
  EXPECT_SLOT(6, Engine::IsActive);
  EXPECT_SLOT(7, Engine::SetActive);
  EXPECT_SLOT(8, Engine::ParseBool);
  EXPECT_SLOT(9, Engine::BoolToText);
  EXPECT_SLOT(10, Engine::GetKeyByCode);
  EXPECT_SLOT(11, Engine::GetKeyByName);
  EXPECT_SLOT(12, Engine::Quit);
}

TEST(Contract, FlagsAndVersion) {
  EXPECT_EQ(1, PLUGIN_INTERFACE_VERSION);
  const int flags[] = {PLUGIN_ACTIONTYPE, PLUGIN_NOTIFYHANDLER, PLUGIN_TOGGLEHANDLER,
                       PLUGIN_GENERAL,    PLUGIN_SHORTCUTTYPE,  PLUGIN_NOTIFIER};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(1 << i, flags[i]);
}

// The records as a plugin compiled by anyone sees them.
static_assert(sizeof(bool) == 1, "bool is one byte");
static_assert(offsetof(ActionRecord, actionPluginId) == 4, "ActionRecord");
static_assert(offsetof(PluginInfo, name) == 40, "PluginInfo: 40-character guid first");
static_assert(offsetof(KeyInfo, nameLength) == 32, "KeyInfo: 32-character name");
static_assert(offsetof(KeyInfo, text) == 36, "KeyInfo: then the length");
static_assert(offsetof(KeyInfo, vk) == 164, "KeyInfo: 128-character text");
static_assert(sizeof(KeyInfo) == 168, "KeyInfo");
#if defined(__i386__)
static_assert(sizeof(PluginInfo) == 52, "PluginInfo on x86");
#endif

}  // namespace
