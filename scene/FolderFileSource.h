#pragma once

#include <filesystem>
#include <string>

#include "scene/FileSource.h"

namespace zelmor {

// The disk as the program sees it when it runs in folder: the names in the files are looked up
// there. One path, the file that zelmor-check was asked about, is opened exactly as given, so
// that it can be named from anywhere.
class FolderFileSource : public FileSource {
public:
    FolderFileSource(std::filesystem::path folder, std::string givenPath)
        : folder_(std::move(folder)), givenPath_(std::move(givenPath)) {}

    std::unique_ptr<std::istream> open(const std::string& path) const override;
    // A name read from the files, with the folder before it: "data/units/tank.unit".
    std::string located(const std::string& path) const override;

    // The folder the program would run in to read the scene at scenePath: the folder above
    // its "wdf" folder when the path ends in wdf/<name>.wdf (the program opens wdf/test.wdf),
    // otherwise the working directory.
    static std::filesystem::path dataFolderFor(const std::string& scenePath);

private:
    std::filesystem::path folder_;
    std::string givenPath_;
};

}  // namespace zelmor
