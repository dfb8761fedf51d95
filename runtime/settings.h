#pragma once
// Values remembered between runs, in the user's settings file:
// $XDG_CONFIG_HOME/tarvikdebug/tarvikdebug.conf, or ~/.config/tarvikdebug/
// tarvikdebug.conf without it (an INI file). Keys are "group/name", for
// example "ports/COM1". The file is read on every call, so a value another
// console saved is seen at once. Read and written without Qt (runtime/ini_text.h),
// in the form QSettings gives it, so files either wrote are read alike.

#include <string>

// Copies the value stored under key into value (at most size-1 characters and
// a NUL, cut if longer). Returns 1 when the key is stored, 0 when it is not or
// the file cannot be read (value then "").
int LoadSetting(const char* key, char* value, int size);

// Stores value under key and writes the file at once, whole (a new file put in
// the old one's place), every other line kept. Returns 0, or -1 when the file
// cannot be read or written (the value is then not remembered; the file keeps
// what it had).
int SaveSetting(const char* key, const char* value);

// The settings file's path, whether or not it exists yet.
std::string SettingsFilePath();
