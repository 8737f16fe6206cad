#include "scene/SceneCheck.h"

#include <algorithm>
#include <istream>

#include "scene/ModelCache.h"
#include "scene/World.h"

namespace zelmor {

namespace {

std::string counted(long long count, const std::string& one, const std::string& many) {
    return SceneCheck::withCommas(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string SceneCheck::withCommas(long long count) {
    const std::string digits = std::to_string(count);
    const std::size_t first = digits[0] == '-' ? 1 : 0;
    std::string text = digits.substr(0, first);
    for (std::size_t at = first; at < digits.size(); ++at) {
        if (at > first && (digits.size() - at) % 3 == 0) {
            text += ',';
        }
        text += digits[at];
    }
    return text;
}

bool SceneCheck::run(const std::string& scenePath) {
    // Each run reads the files afresh: they may have changed since the last one.
    state_.clear();
    namedAt_.clear();
    reads_.clear();
    overflowed_.clear();
    problems_ = 0;
    notes_ = 0;
    ModelCache models;
    World world(models);
    world.loadScene(scenePath, ReadContext{&files_, this});
    printOverflow();
    summary_ = scenePath + ": " + counted(world.units.size(), "unit", "units") + ", " +
               counted(world.staticObjects.size(), "static object", "static objects") + ", " +
               counted(models.size(), "model", "models") + "; " +
               counted(problems_, "problem", "problems") + ", " + counted(notes_, "note", "notes");
    return problems_ == 0;
}

void SceneCheck::named(Role role, const std::string& path, const std::string& file,
                       std::streamoff offset) {
    namedAt_.insert_or_assign(path, Place{file, offset});
    // Reading a file ends before anything names it again, so the latest naming says which
    // reading the reports about it come from.
    state_[path].repeated = ++reads_[{path, role}] > 1;
}

void SceneCheck::report(const std::string& file, std::streamoff offset, Kind kind,
                        const std::string& message) {
    FileState& state = state_[file];
    // A unit file or model list named by several records tells the same story each time.
    if (state.repeated) {
        return;
    }
    const bool isNote = kind == Kind::Note;
    ++(isNote ? notes_ : problems_);
    if (state.shown >= MESSAGES_PER_FILE) {
        if (state.moreProblems + state.moreNotes == 0) {
            overflowed_.push_back(file);
        }
        ++(isNote ? state.moreNotes : state.moreProblems);
        return;
    }
    ++state.shown;
    std::string text = message;
    std::string where;
    const auto naming = namedAt_.find(file);
    if (offset < 0 && naming != namedAt_.end()) {
        // About the whole file: shown where the scene names it.
        where = position(naming->second.file, naming->second.offset);
        text = files_.located(file) + ": " + message;
    } else {
        where = position(file, std::max<std::streamoff>(offset, 0));
    }
    print_(where + ": " + (isNote ? "note: " : "") + text);
}

std::string SceneCheck::position(const std::string& file, std::streamoff offset) {
    Cursor& cursor = state_[file].cursor;
    if (offset < cursor.offset) {
        cursor = Cursor{};  // an earlier place: count again from the start
    }
    if (offset > cursor.offset) {
        if (const auto in = files_.open(file); in && in->seekg(cursor.offset)) {
            char block[1 << 16];
            while (cursor.offset < offset) {
                const auto wanted = std::min<std::streamoff>(sizeof block, offset - cursor.offset);
                in->read(block, static_cast<std::streamsize>(wanted));
                const std::streamsize got = in->gcount();
                for (std::streamsize n = 0; n < got; ++n) {
                    if (block[n] == '\n') {
                        ++cursor.line;
                        cursor.lineStart = cursor.offset + n + 1;
                    }
                }
                cursor.offset += got;
                if (got < wanted) {
                    break;
                }
            }
        }
    }
    return files_.located(file) + ":" + std::to_string(cursor.line) + ":" +
           std::to_string(offset - cursor.lineStart + 1);
}

void SceneCheck::printOverflow() {
    for (const std::string& file : overflowed_) {
        const FileState& state = state_[file];
        std::string more;
        if (state.moreProblems > 0) {
            more = counted(state.moreProblems, "more problem", "more problems");
        }
        if (state.moreNotes > 0) {
            more +=
                (more.empty() ? "" : " and ") + counted(state.moreNotes, "more note", "more notes");
        }
        print_(files_.located(file) + ": ... and " + more + " in this file");
    }
}

}  // namespace zelmor
