#include "commandline.h"

#include <iostream>

int main(int argc, char **argv)
{
    // Verbolt's own options run here, without a display and without loading Qt.
    if (const auto code = verbolt::CommandLine::run(argc, argv, std::cout, std::cerr))
        return *code;
    return verbolt::CommandLine::startWindow(argv, std::cerr);
}
