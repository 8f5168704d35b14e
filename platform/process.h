// Running another program (the project tool calls xdelta3 for patches).
#pragma once

#include <string>
#include <vector>

// Runs args[0] (looked up on the PATH) with the arguments and waits for it.
// Its exit status, or -1 when it could not be started (not installed).
int platRunProgram(const std::vector<std::string>& args);
