#include "tests/support/accessibility_switch.h"

#include <dlfcn.h>

#include <QAccessible>

namespace {

// Qt's own accessibility tests call
// QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true).
// Those are private classes whose headers are not installed, so their exported
// functions are looked up by their mangled names instead.
bool setActive(bool active) {
    using Accessibility = void* (*)(const void* integration);
    using SetActive = void (*)(void* accessibility, bool active);
    auto** integration = static_cast<void**>(
        dlsym(RTLD_DEFAULT, "_ZN22QGuiApplicationPrivate20platform_integrationE"));
    auto accessibility = reinterpret_cast<Accessibility>(
        dlsym(RTLD_DEFAULT, "_ZNK20QPlatformIntegration13accessibilityEv"));
    auto set =
        reinterpret_cast<SetActive>(dlsym(RTLD_DEFAULT, "_ZN22QPlatformAccessibility9setActiveEb"));
    if (!integration || !*integration || !accessibility || !set) return false;
    void* platform = accessibility(*integration);
    if (!platform) return false;
    set(platform, active);
    return QAccessible::isActive() == active;
}

}  // namespace

bool SwitchOnAccessibility() {
    return setActive(true);
}

void SwitchOffAccessibility() {
    setActive(false);
}
