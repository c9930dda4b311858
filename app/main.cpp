#include "commandline.h"

#include <iostream>

// A check of a large label set writes to a hundred megabytes of fresh memory once; jemalloc
// backs it with huge pages, a page fault for every 2 MiB rather than for every 4 KiB. Blocks
// of over 8 MiB (a large file's bytes) are kept for the next when freed, not given back at
// once: the next file read is written to memory already touched.
extern "C" {
const char *malloc_conf = "thp:always,narenas:1,oversize_threshold:0";
}

int main(int argc, char **argv)
{
    // Verbolt's own options run here, without a display and without loading Qt.
    if (const auto code = verbolt::CommandLine::run(argc, argv, std::cout, std::cerr))
        return *code;
    return verbolt::CommandLine::startWindow(argv, std::cerr);
}
