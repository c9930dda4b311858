// Writes a generated label set: verbolt_labelgen DIR LABELS [SEED]
#include "labelgen.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: verbolt_labelgen DIR LABELS [SEED]\n";
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/')
        dir += '/';
    try {
        const auto info = verbolt::bench::generateLabelSet(dir, std::stoul(argv[2]),
                                                           argc == 4 ? std::stoull(argv[3]) : 1);
        std::cout << info.labels << " labels, " << info.labelFileBytes << " bytes of label files, "
                  << info.commentBytes << " bytes of comments\n";
    } catch (const std::exception &e) {
        std::cerr << "verbolt_labelgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
