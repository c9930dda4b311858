#include "commandline.h"

#include <iostream>

// A check of a large label set writes to a hundred megabytes of fresh memory once; jemalloc
// backs it with huge pages, a page fault for every 2 MiB rather than for every 4 KiB.
extern "C" {
const char *malloc_conf = "thp:always,narenas:1";
}

int main(int argc, char **argv)
{
    // Verbolt's own options run here, without a display and without loading Qt.
    if (const auto code = verbolt::CommandLine::run(argc, argv, std::cout, std::cerr))
        return *code;
    return verbolt::CommandLine::startWindow(argv, std::cerr);
}
