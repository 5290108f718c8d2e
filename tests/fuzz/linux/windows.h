// The converter's one Windows call, for its native build under libFuzzer (scripts/fuzz):
// MultiByteToWideChar with the system code page taken to be Windows-1252.
#ifndef TAMBREL_FUZZ_LINUX_WINDOWS_H
#define TAMBREL_FUZZ_LINUX_WINDOWS_H

#define CP_ACP 0

int MultiByteToWideChar(unsigned codePage, unsigned long flags, const char* text, int length,
                        wchar_t* wide, int size);

#endif
