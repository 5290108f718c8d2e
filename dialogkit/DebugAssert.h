// Debug assertions of the dialog toolkit: programming errors of a dialog's template or
// layout map. Active in debug builds only; a release build evaluates nothing.
#ifndef DIALOGKIT_DEBUGASSERT_H
#define DIALOGKIT_DEBUGASSERT_H

#ifndef NDEBUG
// Writes "Assertion failed: <text>" with the place to stderr and the debugger, then aborts.
[[noreturn]] void DebugAssertFailed(const char* text, const char* file, int line);

#define DK_ASSERT(condition) DK_ASSERT_TEXT(condition, #condition)
#define DK_ASSERT_TEXT(condition, text) \
  ((condition) ? (void)0 : DebugAssertFailed(text, __FILE__, __LINE__))
#else
// sizeof keeps the names referenced, so variables used only here raise no warning.
#define DK_ASSERT(condition) ((void)sizeof((condition) ? 1 : 0))
#define DK_ASSERT_TEXT(condition, text) ((void)sizeof((condition) ? 1 : 0))
#endif

#endif
