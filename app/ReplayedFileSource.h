#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ReplayRecord.h"
#include "scene/FileSource.h"

namespace zelmor {

// The files of a replayed session, as its recording embedded them: each open of a path gets
// that path's next recorded content, and the last one again once they are used up, as the
// session that read them got them. A path never recorded opens nothing.
class ReplayedFileSource : public FileSource {
public:
    void add(const replay::EmbeddedFile& file);
    std::unique_ptr<std::istream> open(const std::string& path) const override;
    // Every embedded byte, for what the files add to a replay.
    std::size_t bytes() const { return bytes_; }
    // Makes every path give its first content again, for a session replayed from its start.
    void rewind() const { opened_.clear(); }

private:
    struct Content {
        bool opened = false;
        std::string bytes;
    };
    std::map<std::string, std::vector<Content>> files_;
    mutable std::map<std::string, std::size_t> opened_;  // opens so far per path
    std::size_t bytes_ = 0;
};

}  // namespace zelmor
