// Program entry: the command-line modes run without a display; otherwise the
// shared objects are created in their start order and the window runs.

#include "app/CommandLine.h"
#include "config/AppContext.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (auto status = RunCommandLine(args))
        return *status;

    TAppContext app(TAppPaths::ForProgram());
    const TLines types = app.SharedRules().Section("VAR");
    std::cout << "Quillane: " << app.SharedRules().Lines().size() << " rule lines loaded from "
              << app.SharedRules().FileName() << ", " << types.size() << " file types\n";
    return 0;
}
