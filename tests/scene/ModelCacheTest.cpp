#include "scene/ModelCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RecordedReports.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

std::string verticesFile(int count) {
    std::string text = "v " + std::to_string(count);
    for (int n = 0; n < count; ++n) {
        text += " 0 0 " + std::to_string(n);
    }
    return text + " x\n";
}

class ModelCacheTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScopedWorkingDirectory inDir{dir.path()};
    ModelCache cache;
};

TEST_F(ModelCacheTest, ANameLoadedAgainIsReplacedInPlace) {
    dir.write("m/three.mdl", verticesFile(3));
    dir.write("m/eight.mdl", verticesFile(8));
    dir.write("first.txt", "tank m/three.mdl\n");
    dir.write("second.txt", "tank m/eight.mdl\n");

    cache.preload("first.txt");
    const Mesh* tank = cache.get("tank");
    ASSERT_NE(tank, nullptr);
    EXPECT_EQ(tank->vertexCount(), 3u);
    EXPECT_EQ(cache.get("tank"), tank);

    cache.preload("second.txt");
    EXPECT_EQ(cache.get("tank"), tank);
    EXPECT_EQ(tank->vertexCount(), 8u);
    EXPECT_EQ(cache.size(), 1u);

    // Within one list, the later entry wins as well.
    dir.write("both.txt", "jeep m/eight.mdl jeep m/three.mdl");
    cache.preload("both.txt");
    EXPECT_EQ(cache.get("jeep")->vertexCount(), 3u);
}

TEST_F(ModelCacheTest, NamesAreExactAndCaseSensitive) {
    dir.write("a.mdl", verticesFile(1));
    dir.write("b.mdl", verticesFile(2));
    dir.write("list.txt", "Tree a.mdl\n\ttree   b.mdl");
    cache.preload("list.txt");
    ASSERT_NE(cache.get("Tree"), nullptr);
    ASSERT_NE(cache.get("tree"), nullptr);
    EXPECT_EQ(cache.get("Tree")->vertexCount(), 1u);
    EXPECT_EQ(cache.get("tree")->vertexCount(), 2u);
    EXPECT_EQ(cache.get("TREE"), nullptr);
    EXPECT_EQ(cache.get("Tree "), nullptr);
}

TEST_F(ModelCacheTest, GetNeverLoadsNorInserts) {
    dir.write("house", verticesFile(4));
    dir.write("house.mdl", verticesFile(4));
    EXPECT_EQ(cache.get("house"), nullptr);
    EXPECT_EQ(cache.get("house.mdl"), nullptr);
    EXPECT_EQ(cache.size(), 0u);
}

TEST_F(ModelCacheTest, MissingFilesAndOddWords) {
    dir.write("a.mdl", verticesFile(1));
    dir.write("list.txt", "gone missing.mdl here a.mdl lonely");
    cache.preload("list.txt");
    // A ModelFile that cannot be opened still gives its name a mesh, one that draws nothing.
    const Mesh* gone = cache.get("gone");
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->vertexCount(), 0u);
    EXPECT_EQ(gone->indexCount(), 0u);
    ASSERT_NE(cache.get("here"), nullptr);
    // The lone name at the end is ignored.
    EXPECT_EQ(cache.get("lonely"), nullptr);
    EXPECT_EQ(cache.size(), 2u);

    // A list that cannot be opened leaves the cache as it was.
    cache.preload("no-such-list.txt");
    EXPECT_EQ(cache.size(), 2u);
}

TEST_F(ModelCacheTest, ReportsWhatTheListCannotDeliver) {
    dir.write("bad.mdl", "v 1 0 0 0 q x");
    dir.write("list.txt", "gone missing.mdl bad bad.mdl lonely");
    test::RecordedReports report;
    cache.preload("list.txt", ReadContext{&FileSource::disk(), &report});
    cache.preload("nowhere.txt", ReadContext{&FileSource::disk(), &report});
    EXPECT_EQ(report.lines,
              (std::vector<std::string>{
                  "missing.mdl@-1 model file cannot be opened; the model draws nothing",
                  "bad.mdl@10 skipped 'q' where a record letter was expected",
                  "bad.mdl@-1 note model has no indices; it draws nothing",
                  "list.txt@29 model name without a path",
                  "nowhere.txt@-1 model list cannot be opened; it loads no models",
              }));
}

}  // namespace
}  // namespace zelmor
