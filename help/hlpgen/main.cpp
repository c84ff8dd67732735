// hlpgen SOURCE OUTPUT: turns the UTF-8 help source into a WinHelp file.
// Faults are printed as "SOURCE:LINE: error: ..." and the exit code is 1,
// so that the build stops on them.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "help_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: hlpgen SOURCE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": error: cannot read the help source\n";
        return 1;
    }
    std::ostringstream source;
    source << in.rdbuf();
    const auto result = hlpgen::CompileHelp(source.str());
    if (!result.ok) {
        std::cerr << argv[1] << ':' << result.errorLine << ": error: " << result.error << '\n';
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(result.file.data()), static_cast<std::streamsize>(result.file.size()));
    out.close();
    if (!out) {
        std::cerr << argv[2] << ": error: cannot write the help file\n";
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
