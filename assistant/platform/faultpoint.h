#pragma once
// Steps of a library change at which a power cut is simulated in tests. Each
// call counts one step; when the environment variable TAVI_KILL_AT names that
// step's number, the process kills itself there (SIGKILL: no clean-up, no
// flush, as when the power goes). Without the variable a step costs an
// integer increment.

namespace faultpoint {

void step(const char* what);
// The steps counted so far in this process.
int count();

} // namespace faultpoint
