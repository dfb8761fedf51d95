#pragma once
// Hooks for the tests alone: no program's code calls them.

namespace tarvik::rt {

// Forgets every device chosen for a COM number during the run (--port, Choose...), so that
// a test starts from the environment and the settings file.
void ForgetChosenComPortDevices();

}  // namespace tarvik::rt
