// zelmor-check [--data DIR] [scene]: reads the scene and every file it names as zelmor does when
// it runs in the data folder DIR, prints each problem as "file:line:column: message" as it is
// found, and a one-line summary. Without --data, a scene path ending in wdf/<name>.wdf is read
// with the folder above its wdf folder as the data folder, any other with the working directory;
// without a scene, DIR/wdf/test.wdf. The first line names the data folder. Exits 0 when the
// scene is clean (notes allowed), 1 when problems were found (a file that the system cannot
// read is one), 2 on a wrong command line or when the report cannot be written.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

constexpr int CANNOT_WRITE = 2;

// A report that cannot be written (a full disk, a closed pipe) must not pass for a clean check:
// it is said on standard error and the check stops, since nobody would read the rest.
[[noreturn]] void failedWriting(int error) {
    std::fprintf(stderr, "zelmor-check: cannot write the report: %s\n",
                 std::strerror(error != 0 ? error : EIO));
    std::_Exit(CANNOT_WRITE);
}

void printLine(const std::string& line) {
    errno = 0;
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    // A long check shows what it found so far; a failed write shows at the latest here.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        failedWriting(errno);
    }
}

// The exit status, once standard output is known to hold everything written to it.
int finish(int status) {
    errno = 0;
    if (std::ferror(stdout) || std::fclose(stdout) != 0) {
        failedWriting(errno);
    }
    return status;
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
            return finish(0);
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
    return finish(clean ? 0 : 1);
}
