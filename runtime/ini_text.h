#pragma once
// The text of an INI settings file as QSettings writes it, read and changed without Qt:
// "[group]" sections of "key=value" lines, keys percent-encoded, values escaped with
// backslashes and quoted where they hold a comma, a semicolon or blanks at their ends.
// Files a console wrote with QSettings are read as QSettings reads them, and what is
// written here QSettings reads back unchanged.

#include <optional>
#include <string>

// The value stored under group/key in text, unescaped; nullopt when there is none. A key
// with no group is looked up in [General], as QSettings keeps it.
std::optional<std::string> IniValue(const std::string& text, const std::string& group,
                                    const std::string& key);

// text with group/key set to value: the key's line replaced where it is, else added at the
// end of its group, else in a new group at the end. Every other line is kept as it was.
std::string IniWithValue(const std::string& text, const std::string& group, const std::string& key,
                         const std::string& value);

// A value as QSettings writes it after "key=".
std::string IniEscapedValue(const std::string& value);
