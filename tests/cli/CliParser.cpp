// The runner's Parser.cpp, built into the test program.
#include "../../cli/Parser.cpp"
