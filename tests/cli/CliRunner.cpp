// The runner's Runner.cpp, built into the test program.
#include "../../cli/Runner.cpp"
