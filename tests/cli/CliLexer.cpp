// The runner's Lexer.cpp, built into the test program.
#include "../../cli/Lexer.cpp"
