// The program's log file, bound by name from tambrel.exe as the drawing services are: level
// 1 Error, 2 Warning, 3 Notice; nothing is written while the user has logging off.
#ifndef TAMBRELPLUG_HOSTLOG_H
#define TAMBRELPLUG_HOSTLOG_H

extern "C" void WriteLogLine(int level, const char* text);

const int kLogNotice = 3;

#endif
