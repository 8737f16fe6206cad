// Reads that the system refuses, at each place in turn, as a disk with a bad sector would: every
// buffer boundary of every bundled file, and every byte of the token that straddles each
// boundary inside a file. The program must keep exactly what it read before the fault, never a
// value cut in two; the checker must name the file with the system's reason and check the rest.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ReadOnlyFile.h"
#include "scene/FileBuffer.h"
#include "scene/FileSource.h"
#include "scene/ModelCache.h"
#include "scene/ModelFile.h"
#include "scene/SceneCheck.h"
#include "scene/World.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

namespace fs = std::filesystem;

const fs::path DATA = fs::path(ZELMOR_SOURCE_DIR) / "data";
constexpr char SCENE[] = "wdf/test.wdf";
// The system's own wording of a failed read ("Input/output error" on Linux).
const std::string IO_ERROR = std::make_error_code(std::errc::io_error).message();

// Reads fail with EIO from byte failAt on; the read that reaches it comes back short.
class FailingBuffer : public FileBuffer {
public:
    FailingBuffer(std::unique_ptr<platform::ReadOnlyFile> file, std::streamoff failAt)
        : FileBuffer(std::move(file)), failAt_(failAt) {}

protected:
    std::ptrdiff_t readSome(std::streamoff at, char* into, std::size_t size,
                            std::error_code& error) override {
        if (at >= failAt_) {
            error = std::make_error_code(std::errc::io_error);
            return -1;
        }
        const auto before = static_cast<std::size_t>(failAt_ - at);
        return FileBuffer::readSome(at, into, std::min(size, before), error);
    }

private:
    std::streamoff failAt_;
};

// The data folder as the program sees it, with one file that fails at one byte.
class FailingFolder : public FileSource {
public:
    FailingFolder(std::string failing, std::streamoff failAt)
        : failing_(std::move(failing)), failAt_(failAt) {}

    std::unique_ptr<std::istream> open(const std::string& path) const override {
        auto file = platform::ReadOnlyFile::open((DATA / path).string());
        if (!file) {
            return nullptr;
        }
        if (path != failing_) {
            return std::make_unique<FileStream>(std::make_unique<FileBuffer>(std::move(file)));
        }
        return std::make_unique<FileStream>(
            std::make_unique<FailingBuffer>(std::move(file), failAt_));
    }

private:
    std::string failing_;
    std::streamoff failAt_;
};

struct Fault {
    std::string file;  // relative to the data folder, as the files name it
    std::streamoff at;
};

// The words of a file: the bundled files keep names and numbers apart with blanks.
std::vector<std::string> words(const std::string& file) {
    std::istringstream in(test::readWholeFile(DATA / file));
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The bundled scene and every file it names, through its model lists and unit records.
std::set<std::string> filesRead() {
    std::set<std::string> files{SCENE};
    const std::vector<std::string> scene = words(SCENE);
    for (std::size_t n = 0; n + 1 < scene.size(); ++n) {
        if (scene[n] == "u") {
            files.insert(scene[n + 1]);
        } else if (scene[n] == "m") {
            files.insert(scene[n + 1]);
            const std::vector<std::string> list = words(scene[n + 1]);
            for (std::size_t pair = 1; pair < list.size(); pair += 2) {
                files.insert(list[pair]);
            }
        }
    }
    return files;
}

// Every buffer boundary of every file the scene reads, and every byte of the token at each
// boundary inside a file, up to and including the blank after it.
std::vector<Fault> faultPlaces() {
    std::vector<Fault> faults;
    for (const std::string& name : filesRead()) {
        const std::string text = test::readWholeFile(DATA / name);
        for (std::size_t boundary = 0; boundary < text.size(); boundary += FileBuffer::SIZE) {
            faults.push_back({name, static_cast<std::streamoff>(boundary)});
            if (boundary == 0) {
                continue;
            }
            constexpr char BLANKS[] = " \t\n\r";
            const std::size_t first =
                text.find_first_not_of(BLANKS, text.find_last_of(BLANKS, boundary - 1) + 1);
            const std::size_t end = std::min(text.find_first_of(BLANKS, first), text.size() - 1);
            for (std::size_t at = first; at <= end; ++at) {
                if (at != boundary) {
                    faults.push_back({name, static_cast<std::streamoff>(at)});
                }
            }
        }
    }
    return faults;
}

// Model names in the order of the bundled model list.
std::vector<std::string> modelNames() {
    std::vector<std::string> names;
    const std::vector<std::string> list = words("models.lst");
    for (std::size_t name = 0; name < list.size(); name += 2) {
        names.push_back(list[name]);
    }
    return names;
}

std::string nameOf(const Mesh* mesh, const ModelCache& models,
                   const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (mesh != nullptr && models.get(name) == mesh) {
            return name;
        }
    }
    return "";
}

template <class Floats>
bool same(const Floats& a, const Floats& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Everything in the world read with the fault is in the whole world too, whole: each array,
// value and object equals its counterpart, or was never read (empty, default, missing).
void expectPartOf(const World& cut, const ModelCache& cutModels, const World& whole,
                  const ModelCache& wholeModels, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const Mesh* mesh = cutModels.get(name);
        const Mesh* full = wholeModels.get(name);
        if (mesh == nullptr) {
            continue;
        }
        ASSERT_NE(full, nullptr) << name;
        EXPECT_TRUE(mesh->vertices().empty() || mesh->vertices() == full->vertices()) << name;
        EXPECT_TRUE(mesh->indices().empty() || mesh->indices() == full->indices()) << name;
        EXPECT_TRUE(mesh->vertexColours().empty() || mesh->vertexColours() == full->vertexColours())
            << name;
        EXPECT_TRUE(same(mesh->colour(), Colour{}) || same(mesh->colour(), full->colour())) << name;
        EXPECT_TRUE(mesh->primitiveMode() == 0 || mesh->primitiveMode() == full->primitiveMode())
            << name;
    }
    const auto sameObject = [&](const SceneObject& a, const SceneObject& b) {
        const std::string model = nameOf(a.mesh, cutModels, names);
        return same(a.position, b.position) && same(a.angles, b.angles) &&
               (a.mesh == nullptr || model == nameOf(b.mesh, wholeModels, names));
    };
    ASSERT_LE(cut.staticObjects.size(), whole.staticObjects.size());
    for (std::size_t n = 0; n < cut.staticObjects.size(); ++n) {
        EXPECT_TRUE(sameObject(cut.staticObjects[n], whole.staticObjects[n])) << "object " << n;
    }
    ASSERT_LE(cut.units.size(), whole.units.size());
    for (std::size_t n = 0; n < cut.units.size(); ++n) {
        EXPECT_TRUE(sameObject(cut.units[n], whole.units[n])) << "unit " << n;
        for (const auto& [name, part] : cut.units[n].parts()) {
            const auto full = whole.units[n].parts().find(name);
            ASSERT_NE(full, whole.units[n].parts().end()) << "unit " << n << " part " << name;
            EXPECT_TRUE(sameObject(part, full->second)) << "unit " << n << " part " << name;
        }
    }
}

TEST(ReadFault, TheProgramKeepsWhatItReadBeforeTheFaultAndNothingCutInTwo) {
    const std::vector<std::string> names = modelNames();
    ModelCache wholeModels;
    World whole(wholeModels);
    const FailingFolder healthy("", 0);
    whole.loadScene(SCENE, ReadContext{&healthy, nullptr});
    ASSERT_GT(whole.units.size(), 0u);
    for (const Fault& fault : faultPlaces()) {
        SCOPED_TRACE(fault.file + " failing at byte " + std::to_string(fault.at));
        const FailingFolder files(fault.file, fault.at);
        ModelCache models;
        World world(models);
        world.loadScene(SCENE, ReadContext{&files, nullptr});
        expectPartOf(world, models, whole, wholeModels, names);
    }
}

// What the bundled files cannot show: a number cut by the fault would complete its record (the
// last value of a vertex array). The reader cannot tell that a number ended before it reads the
// blank after it, so a fault there drops the number too.
TEST(ReadFault, ANumberCutByTheFaultNeverCompletesARecord) {
    test::TempDir dir;
    const std::string path = dir.write("a.mdl", "v 1 1.5 2.5 12345\n");
    for (std::streamoff at = 12; at <= 17; ++at) {
        FileStream in(std::make_unique<FailingBuffer>(platform::ReadOnlyFile::open(path), at));
        EXPECT_EQ(readModelFile(in, path).vertexCount(), 0u) << "failing at byte " << at;
    }
}

TEST(ReadFault, TheCheckerNamesTheFileWithTheReasonAndChecksTheRest) {
    const FailingFolder healthy("", 0);
    SceneCheck clean(healthy, [](const std::string&) {});
    ASSERT_TRUE(clean.run(SCENE));
    // "<scene>: U units, S static objects": the objects are there whatever else fails.
    const std::string objects = clean.summary().substr(0, clean.summary().find(" objects") + 8);
    for (const Fault& fault : faultPlaces()) {
        SCOPED_TRACE(fault.file + " failing at byte " + std::to_string(fault.at));
        const FailingFolder files(fault.file, fault.at);
        std::vector<std::string> printed;
        SceneCheck check(files, [&](const std::string& line) { printed.push_back(line); });
        EXPECT_FALSE(check.run(SCENE));
        const auto told = std::count_if(printed.begin(), printed.end(), [&](const auto& line) {
            return line.find(fault.file + ":") != std::string::npos &&
                   line.find("(" + IO_ERROR + ")") != std::string::npos;
        });
        EXPECT_EQ(told, 1);
        if (fault.file != SCENE) {
            EXPECT_TRUE(check.summary().starts_with(objects)) << check.summary();
        }
        // A fault is no end of the file and no malformed number.
        for (const std::string& line : printed) {
            EXPECT_EQ(line.find("cut short"), std::string::npos) << line;
            EXPECT_EQ(line.find("could not be read"), std::string::npos) << line;
        }
    }
}

}  // namespace
}  // namespace zelmor
