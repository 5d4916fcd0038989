// zel: runs ZEL scripts on the stand-in Tavrel host.
#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Runner.h"
#include "System.h"

int main(int argc, char** argv) {
    tavrel::system::WriteStandardOutputAsIs();
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        return zelcli::Main(args, std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0);
    } catch (const std::exception& error) {
        std::cerr << "zel: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "zel: unexpected failure\n";
    }
    return zelcli::kExitBadScript;
}
