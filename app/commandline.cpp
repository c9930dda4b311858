#include "commandline.h"

#include <string_view>

namespace verbolt {

std::optional<int> CommandLine::run(int argc, char **argv, std::ostream &out, std::ostream &err)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, 2) != "--")
            continue;
        if (arg == "--version") {
            out << "verbolt " << VERBOLT_VERSION << "\n";
            return 0;
        }
        err << "usage: verbolt [--help | --version]\n";
        return 2;
    }
    return std::nullopt;
}

} // namespace verbolt
