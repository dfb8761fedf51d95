#pragma once
// Names for the cases of a parameterised test that a person can read and that
// `ctest -R` can select: made from what the case is about, the same in every build.

#include <cstddef>
#include <string>

// text with every run of characters other than letters and digits made one '_', cut to a
// readable length, "empty" for nothing, and the case's index after it so names stay unique.
std::string CaseName(const std::string& text, std::size_t index);

// A main-panel control by its constant without "PANEL_": "READ_REGISTER".
std::string ControlName(int control);
