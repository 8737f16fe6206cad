// zelmor-check [--data DIR] [scene]: reads the scene and every file it names as zelmor does when
// it runs in the data folder DIR, prints each problem as "file:line:column: message" as it is
// found, and a one-line summary. Without --data, a scene path ending in wdf/<name>.wdf is read
// with the folder above its wdf folder as the data folder, any other with the working directory;
// without a scene, DIR/wdf/test.wdf. The first line names the data folder. Exits 0 when the
// scene is clean (notes allowed), 1 when problems were found, 2 on a wrong command line.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "scene/FolderFileSource.h"
#include "scene/SceneCheck.h"

namespace {

constexpr char DEFAULT_SCENE[] = "wdf/test.wdf";

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: zelmor-check [--data DIR] [scene]\n"
                 "Reads the scene (default DIR/%s) and the model lists, model files and unit\n"
                 "files it names as zelmor does when run in the data folder DIR, and reports\n"
                 "each problem as file:line:column. Without --data, the data folder is the one\n"
                 "above the scene's wdf folder, or the working directory.\n",
                 DEFAULT_SCENE);
}

void printLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // a long check shows what it found so far
}

}  // namespace

int main(int argc, char** argv) {
    std::string scene;
    std::filesystem::path data;
    bool dataGiven = false;
    for (int n = 1; n < argc; ++n) {
        const std::string argument = argv[n];
        if (argument == "-h" || argument == "--help") {
            usage(stdout);
            return 0;
        }
        if (argument == "--data" && n + 1 < argc && !dataGiven) {
            data = argv[++n];
            dataGiven = true;
        } else if (argument.rfind("--data=", 0) == 0 && !dataGiven) {
            data = argument.substr(7);
            dataGiven = true;
        } else if (scene.empty() && !argument.empty() && argument[0] != '-') {
            scene = argument;
        } else {
            usage(stderr);
            return 2;
        }
    }
    if (dataGiven) {
        std::error_code error;
        if (!std::filesystem::is_directory(data, error)) {
            std::fprintf(stderr, "zelmor-check: %s is no folder\n", data.string().c_str());
            return 2;
        }
        if (scene.empty()) {
            scene = (data / DEFAULT_SCENE).string();
        }
    } else {
        if (scene.empty()) {
            scene = DEFAULT_SCENE;
        }
        data = zelmor::FolderFileSource::dataFolderFor(scene);
    }
    std::error_code error;
    std::filesystem::path shown = std::filesystem::absolute(data, error).lexically_normal();
    if (shown.has_parent_path() && !shown.has_filename()) {
        shown = shown.parent_path();  // "/repo/data", not "/repo/data/"
    }
    printLine("zelmor-check: reading from the data folder " +
              (error ? data.string() : shown.string()));

    const zelmor::FolderFileSource files(data, scene);
    zelmor::SceneCheck check(files, printLine);
    const bool clean = check.run(scene);
    printLine(check.summary());
    return clean ? 0 : 1;
}
