#pragma once
// Starting another program without a shell and without waiting for it.
#include <string>
#include <vector>

namespace nyarumi::x11 {

// Starts AArgv[0] (searched in PATH) with the rest as its arguments, detached from this process
// so that it is never left a zombie. True when the program was started; false when the vector
// is empty or the program could not be executed.
bool SpawnDetached(const std::vector<std::string>& AArgv);

} // namespace nyarumi::x11
