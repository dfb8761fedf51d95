#pragma once
// The engine's own reporting of failing library calls (see
// EnableBreakOnLibraryErrors). Internal to runtime/.

#include <string>

namespace tarvik::rt {

// Writes "Tarvikdebug library error: <function>: <what>" to stderr when
// reporting is enabled and the same report was not the last one made;
// otherwise does nothing.
void ReportLibraryError(const char* function, const std::string& what);

}  // namespace tarvik::rt
