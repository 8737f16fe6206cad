#include <cstdio>
#include <string>

#include "app/Application.h"
#include "app/ReplayViewer.h"

// Without arguments the program runs its scene; "--replay FILE" plays a recorded session.
int main(int argc, char** argv) {
    if (argc == 1) {
        return zelmor::Application::run();
    }
    if (argc == 3 && std::string(argv[1]) == "--replay") {
        return zelmor::ReplayViewer::run(argv[2]);
    }
    std::fprintf(stderr, "usage: zelmor [--replay FILE]\n");
    return 2;
}
