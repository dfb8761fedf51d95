#include "runtime/library_errors.h"

#include <cstdio>

#include "runtime/rs232.h"

namespace {
bool g_reportLibraryErrors = true;
}

void EnableBreakOnLibraryErrors(void) { g_reportLibraryErrors = true; }
void DisableBreakOnLibraryErrors(void) { g_reportLibraryErrors = false; }

namespace tarvik::rt {

void ReportLibraryError(const char* function, const std::string& what) {
    if (!g_reportLibraryErrors) return;
    std::fprintf(stderr, "Tarvikdebug library error: %s: %s\n", function, what.c_str());
}

}  // namespace tarvik::rt
