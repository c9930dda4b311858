// Writes a generated label set: verbolt_labelgen [--ids=plain|realistic] DIR LABELS [SEED]
#include "labelgen.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    using verbolt::bench::IdShape;
    IdShape shape = IdShape::Plain;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ids=plain")
            shape = IdShape::Plain;
        else if (arg == "--ids=realistic")
            shape = IdShape::Realistic;
        else
            args.push_back(arg);
    }
    if (args.size() < 2 || args.size() > 3 || args[0].empty()) {
        std::cerr << "usage: verbolt_labelgen [--ids=plain|realistic] DIR LABELS [SEED]\n";
        return 2;
    }
    std::string dir = args[0];
    if (dir.back() != '/')
        dir += '/';
    try {
        const auto info = verbolt::bench::generateLabelSet(
            dir, std::stoul(args[1]), args.size() == 3 ? std::stoull(args[2]) : 1, shape);
        std::cout << info.labels << " labels, " << info.labelFileBytes << " bytes of label files, "
                  << info.commentBytes << " bytes of comments\n";
    } catch (const std::exception &e) {
        std::cerr << "verbolt_labelgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
