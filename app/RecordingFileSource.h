#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/ReplayRecord.h"
#include "scene/FileSource.h"

namespace zelmor {

// Opens files through another source and hands each file's content, as the reader gets it, to
// a recording: the files a session reads go into its replay whole, so that it replays without
// the data folder. A path opened again is recorded again only when its content changed. A file
// larger than MAX_EMBEDDED_BYTES cannot go into a replay: the recording is told so and the
// reader still gets the whole file.
class RecordingFileSource : public FileSource {
public:
    static constexpr std::size_t MAX_EMBEDDED_BYTES = std::size_t{64} << 20;

    using Embed = std::function<void(const replay::EmbeddedFile& file)>;
    using TooLarge = std::function<void(const std::string& path)>;

    // files must outlive this source.
    RecordingFileSource(const FileSource& files, Embed embed, TooLarge tooLarge)
        : files_(files), embed_(std::move(embed)), tooLarge_(std::move(tooLarge)) {}

    std::unique_ptr<std::istream> open(const std::string& path) const override;
    std::string located(const std::string& path) const override { return files_.located(path); }

private:
    void record(const std::string& path, bool opened, const std::string& bytes) const;

    const FileSource& files_;
    Embed embed_;
    TooLarge tooLarge_;
    // What was last recorded for each path: whether it opened, and its content's size and hash.
    struct Recorded {
        bool opened = false;
        std::size_t size = 0;
        uint64_t hash = 0;
        bool operator==(const Recorded&) const = default;
    };
    mutable std::map<std::string, Recorded> recorded_;
};

}  // namespace zelmor
