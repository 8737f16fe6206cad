#include "scene/SceneCheck.h"

#include <algorithm>
#include <istream>
#include <iterator>

#include "scene/ModelCache.h"
#include "scene/World.h"

namespace zelmor {

namespace {

std::string counted(std::size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool SceneCheck::run(const std::string& scenePath) {
    // Each run reads the files afresh: they may have changed since the last one.
    namedAt_.clear();
    lineStarts_.clear();
    heard_.clear();
    messages_.clear();
    problems_ = 0;
    notes_ = 0;
    ModelCache models;
    World world(models);
    world.loadScene(scenePath, ReadContext{&files_, this});
    summary_ = scenePath + ": " + counted(world.units.size(), "unit", "units") + ", " +
               counted(world.staticObjects.size(), "static object", "static objects") + ", " +
               counted(models.size(), "model", "models") + "; " +
               counted(std::size_t(problems_), "problem", "problems") + ", " +
               counted(std::size_t(notes_), "note", "notes");
    return problems_ == 0;
}

void SceneCheck::named(const std::string& path, const std::string& file, std::streamoff offset) {
    namedAt_.try_emplace(path, Place{file, offset});
}

void SceneCheck::report(const std::string& file, std::streamoff offset, Kind kind,
                        const std::string& message) {
    // A unit file or model list used by several records would tell the same story each time.
    if (!heard_.emplace(file, offset, message).second) {
        return;
    }
    std::string text = message;
    std::string where;
    const auto naming = namedAt_.find(file);
    if (offset < 0 && naming != namedAt_.end()) {
        // About the whole file: shown where the scene names it.
        where = position(naming->second.file, naming->second.offset);
        text = file + ": " + message;
    } else {
        where = position(file, std::max<std::streamoff>(offset, 0));
    }
    if (kind == Kind::Note) {
        text = "note: " + text;
        ++notes_;
    } else {
        ++problems_;
    }
    messages_.push_back(where + ": " + text);
}

std::string SceneCheck::position(const std::string& file, std::streamoff offset) {
    const std::vector<std::streamoff>& starts = lineStarts(file);
    // The line whose start is the last one at or before the offset.
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    const std::size_t line = std::max<std::ptrdiff_t>(std::distance(starts.begin(), after), 1);
    const std::streamoff start = starts.empty() ? 0 : starts[line - 1];
    return file + ":" + std::to_string(line) + ":" + std::to_string(offset - start + 1);
}

const std::vector<std::streamoff>& SceneCheck::lineStarts(const std::string& file) {
    const auto [entry, added] = lineStarts_.try_emplace(file);
    std::vector<std::streamoff>& starts = entry->second;
    if (!added) {
        return starts;
    }
    const auto in = files_.open(file);
    if (!in) {
        return starts;
    }
    starts.push_back(0);
    std::streamoff offset = 0;
    for (std::istreambuf_iterator<char> it(*in), end; it != end; ++it) {
        ++offset;
        if (*it == '\n') {
            starts.push_back(offset);
        }
    }
    return starts;
}

}  // namespace zelmor
