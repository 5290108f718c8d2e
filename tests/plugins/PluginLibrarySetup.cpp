// The plugins' icons and page templates come from the test program itself.
#include <gtest/gtest.h>

#include "Library.h"

namespace {

class PluginLibrary : public ::testing::Environment {
 public:
  void SetUp() override { InitPluginLibrary(GetModuleHandle(nullptr)); }
};

::testing::Environment* const gPluginLibrary = ::testing::AddGlobalTestEnvironment(new PluginLibrary);

}  // namespace
