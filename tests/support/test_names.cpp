#include "tests/support/test_names.h"

#include <cctype>

#include "app/panel_contract.h"

namespace {
constexpr std::size_t kMostCharacters = 60;
constexpr std::size_t kPrefixLength = 6;  // "PANEL_"
}  // namespace

std::string CaseName(const std::string& text, std::size_t index) {
    std::string name;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    if (name.size() > kMostCharacters) name.resize(kMostCharacters);
    return (name.empty() ? "empty" : name) + "_" + std::to_string(index);
}

std::string ControlName(int control) {
    for (int i = 0; i < g_mainPanelControlCount; ++i)
        if (g_mainPanelControls[i].id == control)
            return std::string(g_mainPanelControls[i].constant).substr(kPrefixLength);
    return "control" + std::to_string(control);
}
