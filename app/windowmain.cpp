#include "clabelsapp.h"
#include "commandline.h"

#include <iostream>

int main(int argc, char **argv)
{
    // Run by itself, it takes Verbolt's own options as `verbolt` does: before Qt starts.
    if (const auto code = verbolt::CommandLine::run(argc, argv, std::cout, std::cerr))
        return *code;
    // Qt takes its options first; what is left is the window's.
    verbolt::CLabelsApp app(argc, argv);
    const auto start = verbolt::CommandLine::windowStart(argc, argv, std::cerr);
    if (const int *code = std::get_if<int>(&start))
        return *code;
    return app.InitInstance(std::get<verbolt::WindowStart>(start));
}
