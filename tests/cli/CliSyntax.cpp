// The runner's Syntax.cpp, built into the test program.
#include "../../cli/Syntax.cpp"
