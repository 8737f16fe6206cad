// zelmor-check [scene]: reads the scene (default "wdf/test.wdf", relative to the working
// directory, as the program does) and every file it names, prints each problem as
// "file:line:column: message" and a one-line summary. Exits 0 when the scene is clean (notes
// allowed), 1 when problems were found, 2 on a wrong command line.

#include <cstdio>
#include <string>

#include "scene/SceneCheck.h"

namespace {

constexpr char DEFAULT_SCENE[] = "wdf/test.wdf";

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: zelmor-check [scene]\n"
                 "Reads the scene (default %s) and the model lists, model files and unit files\n"
                 "it names as zelmor does, and reports each problem as file:line:column.\n",
                 DEFAULT_SCENE);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        usage(stderr);
        return 2;
    }
    const std::string argument = argc == 2 ? argv[1] : DEFAULT_SCENE;
    if (argument == "-h" || argument == "--help") {
        usage(stdout);
        return 0;
    }
    zelmor::SceneCheck check;
    const bool clean = check.run(argument);
    for (const std::string& message : check.messages()) {
        std::printf("%s\n", message.c_str());
    }
    std::printf("%s\n", check.summary().c_str());
    return clean ? 0 : 1;
}
