#include "scene/FolderFileSource.h"

namespace zelmor {

std::unique_ptr<std::istream> FolderFileSource::open(const std::string& path) const {
    // An empty name or one with a NUL byte must open nothing here too, not the folder itself
    // or a shorter name; the disk's own checks see the name as written.
    if (path == givenPath_ || path.empty() || path.find('\0') != std::string::npos) {
        return FileSource::open(path);
    }
    // An absolute name stays as it is, as it does for the program.
    return FileSource::open((folder_ / path).string());
}

std::string FolderFileSource::located(const std::string& path) const {
    if (path == givenPath_ || path.empty() || path.find('\0') != std::string::npos ||
        folder_.empty() || folder_ == ".") {
        return path;
    }
    return (folder_ / path).string();
}

std::filesystem::path FolderFileSource::dataFolderFor(const std::string& scenePath) {
    const std::filesystem::path scene(scenePath);
    const std::filesystem::path parent = scene.parent_path();
    if (scene.extension() != ".wdf" || parent.filename() != "wdf") {
        return ".";
    }
    const std::filesystem::path above = parent.parent_path();
    return above.empty() ? std::filesystem::path(".") : above;
}

}  // namespace zelmor
