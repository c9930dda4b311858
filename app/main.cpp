#include "clabelsapp.h"
#include "commandline.h"

#include <iostream>

int main(int argc, char **argv)
{
    // Options beginning with "--" are Verbolt's and run without a window or a display;
    // anything else goes to Qt.
    if (const auto code = verbolt::CommandLine::run(argc, argv, std::cout, std::cerr))
        return *code;
    verbolt::CLabelsApp app(argc, argv);
    return app.InitInstance();
}
