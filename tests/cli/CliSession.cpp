// The runner's Session.cpp, built into the test program.
#include "../../cli/Session.cpp"
