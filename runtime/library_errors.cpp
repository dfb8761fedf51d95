#include "runtime/library_errors.h"

#include <cstdio>

#include "runtime/rs232.h"

namespace {
bool g_reportLibraryErrors = true;
}

void EnableBreakOnLibraryErrors(void) {
    g_reportLibraryErrors = true;
}
void DisableBreakOnLibraryErrors(void) {
    g_reportLibraryErrors = false;
}

namespace tarvik::rt {

void ReportLibraryError(const char* function, const std::string& what) {
    if (!g_reportLibraryErrors) return;
    // A wait that polls a vanished port fails the same way thousands of times:
    // say it once until something else happens.
    static std::string lastReport;
    std::string report = std::string(function) + ": " + what;
    if (report == lastReport) return;
    lastReport = report;
    std::fprintf(stderr, "Tarvikdebug library error: %s\n", report.c_str());
}

}  // namespace tarvik::rt
