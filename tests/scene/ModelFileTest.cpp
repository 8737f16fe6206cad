#include "scene/ModelFile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/RecordedReports.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

Mesh readText(const std::string& text) {
    std::istringstream in(text);
    return readModelFile(in);
}

std::vector<float> triangle() {
    return {0, 0, 0, 1, 0, 0, 0, 1, 0};
}

TEST(ModelFile, ReadsARedTriangle) {
    const Mesh mesh = readText("v 3 0 0 0 1 0 0 0 1 0\ni 3 0 1 2\np 4\nc 1 0 0 1\nx\n");
    EXPECT_EQ(mesh.vertices(), triangle());
    EXPECT_EQ(mesh.indices(), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(mesh.primitiveMode(), 4);
    EXPECT_FALSE(mesh.hasVertexColours());
    EXPECT_EQ(mesh.colour().r, 1.0f);
    EXPECT_EQ(mesh.colour().g, 0.0f);
    EXPECT_EQ(mesh.colour().a, 1.0f);
    EXPECT_TRUE(mesh.indicesInRange());
}

TEST(ModelFile, LettersMayTouchTheirNumbersAndLineEndsCarryNoMeaning) {
    const Mesh mesh = readText("v3 0 0 0\t1 0 0\n0 1 0i3 0\n1 2p4c1 0 0 .5x");
    EXPECT_EQ(mesh.vertices(), triangle());
    EXPECT_EQ(mesh.indices(), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(mesh.primitiveMode(), 4);
    EXPECT_EQ(mesh.colour().a, 0.5f);
}

// The shading record "s" reads its letter and three numbers and changes nothing; read as
// anything else, its "c" would swallow the "i" that follows.
TEST(ModelFile, LaterRecordsReplaceEarlierOnesAndTheShadingRecordIsPassedOver) {
    const Mesh mesh = readText(
        "v 2 9 9 9 8 8 8  v 3 0 0 0 1 0 0 0 1 0  o 1 1 1 1 2 2 2 2 3 3 3 3  "
        "o 4 4 4 4 5 5 5 5 6 6 6 6  s c 1 2 3  i 2 1 1  i 3 0 1 2  p 1 p 4 c 0 1 0 1 x");
    EXPECT_EQ(mesh.vertexCount(), 3u);
    EXPECT_EQ(mesh.vertexColours(), (std::vector<uint8_t>{4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6}));
    EXPECT_EQ(mesh.vertices(), triangle());
    EXPECT_EQ(mesh.indices(), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(mesh.primitiveMode(), 4);
    EXPECT_EQ(mesh.colour().g, 1.0f);
}

TEST(ModelFile, VertexColours) {
    // Before any vertices the letter is passed over and its numbers are skipped as characters.
    const Mesh early = readText("o 1 2 3 4 v 1 0 0 0 x");
    EXPECT_FALSE(early.hasVertexColours());
    EXPECT_EQ(early.vertexCount(), 1u);

    // Each value is kept modulo 256.
    const Mesh wrapped = readText("v 1 0 0 0 o 300 0 0 255 x");
    EXPECT_EQ(wrapped.vertexColours(), (std::vector<uint8_t>{44, 0, 0, 255}));
    EXPECT_TRUE(wrapped.coloursMatch());

    // Colours read for one vertex no longer fit after two vertices replace it.
    const Mesh stale = readText("v 1 0 0 0 o 1 2 3 4 v 2 0 0 0 1 1 1 x");
    EXPECT_TRUE(stale.hasVertexColours());
    EXPECT_FALSE(stale.coloursMatch());
}

TEST(ModelFile, NothingAfterTheEndRecordIsRead) {
    std::istringstream in("v 1 0 0 0 x v 2 1 1 1 2 2 2");
    const Mesh mesh = readModelFile(in);
    EXPECT_EQ(mesh.vertexCount(), 1u);
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, " v 2 1 1 1 2 2 2");
}

TEST(ModelFile, FreeTextIsMisreadAsRecords) {
    // "#", "a" and "b" are skipped, "o" comes before any vertices, and the "x" of "box" ends
    // the model before its vertices.
    EXPECT_EQ(readText("# a box\nv 1 1 2 3 x").vertexCount(), 0u);
    // The "c" of "cube" expects a number, finds "u", and reading ends with the colour unset.
    const Mesh cube = readText("v 1 1 2 3 # cube\nc 1 1 1 1 x");
    EXPECT_EQ(cube.vertexCount(), 1u);
    EXPECT_EQ(cube.colour().r, 0.0f);
    // Numbers beyond a record's count are digits where a letter belongs: skipped.
    const Mesh extra = readText("p 4 5 6 c 1 1 1 1 x");
    EXPECT_EQ(extra.primitiveMode(), 4);
    EXPECT_EQ(extra.colour().r, 1.0f);
}

TEST(ModelFile, AFileWithoutEndRecordIsReadToItsEnd) {
    const Mesh mesh = readText("v 3 0 0 0 1 0 0 0 1 0 i 3 0 1 2 p 4");
    EXPECT_EQ(mesh.vertexCount(), 3u);
    EXPECT_EQ(mesh.indexCount(), 3u);
    EXPECT_EQ(mesh.primitiveMode(), 4);
}

TEST(ModelFile, HugeOrImpossibleCountsEndTheReadingWithoutAllocating) {
    for (const char* text :
         {"c 1 1 1 1 v 4000000000 1 2 3", "c 1 1 1 1 i 99999999999 0", "c 1 1 1 1 i -1 0",
          "c 1 1 1 1 v -3 0 0 0", "c 1 1 1 1 i 4294967296 0", "c 1 1 1 1 i 4294967295 0 1 2"}) {
        SCOPED_TRACE(text);
        const Mesh mesh = readText(text);
        EXPECT_EQ(mesh.vertexCount(), 0u);
        EXPECT_EQ(mesh.indexCount(), 0u);
        // The record before the bad one counts.
        EXPECT_EQ(mesh.colour().r, 1.0f);
    }
}

TEST(ModelFile, ARecordCutShortOrMalformedDoesNotTakeEffect) {
    struct Case {
        const char* text;
        uint32_t vertices;
        float red;
    };
    const Case cases[] = {
        {"v 1 5 5 5 v 2 1 2 3 4", 1, 0.0f},  // the file ends inside the second "v"
        {"v 1 5 5 5 c 1 0 0", 1, 0.0f},
        {"c 1 0 0 1e999", 0, 0.0f},                // out of range for a float
        {"c 1 1 1 1 v 1 0 0 - 1 x", 0, 1.0f},      // a sign apart from its digits
        {"c 1 1 1 1 s c 1 2 v 1 0 0 0", 0, 1.0f},  // a shading record one number short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Mesh mesh = readText(c.text);
        EXPECT_EQ(mesh.vertexCount(), c.vertices);
        EXPECT_EQ(mesh.colour().r, c.red);
        EXPECT_EQ(mesh.colour().a, 1.0f);
    }
    EXPECT_FALSE(readText("v 1 0 0 0 o 1 2 3 -1").hasVertexColours());
    EXPECT_FALSE(readText("v 1 0 0 0 o 1 2 3 99999999999").hasVertexColours());
    // Whole numbers end where the digits end: the "e999" after a colour's 1 is text.
    EXPECT_EQ(readText("v 1 0 0 0 o 1 2 3 1e999").vertexColours(),
              (std::vector<uint8_t>{1, 2, 3, 1}));
    EXPECT_EQ(readText("p 99999999999").primitiveMode(), 0);
}

TEST(ModelFile, CountsLargerThanTheFirstReservationAreReadWhole) {
    std::string text = "v 1 0 0 0 i 70000";
    for (int n = 0; n < 70000; ++n) {
        text += " 0";
    }
    const Mesh mesh = readText(text + " x");
    EXPECT_EQ(mesh.indexCount(), 70000u);
    EXPECT_TRUE(mesh.indicesInRange());
}

TEST(ModelFile, IndicesAtOrAboveTheVertexCountMakeAMeshThatDrawsNothing) {
    EXPECT_FALSE(readText("v 3 0 0 0 1 0 0 0 1 0 i 3 0 1 3 x").indicesInRange());
    EXPECT_FALSE(readText("i 1 0 x").indicesInRange());
    // A later "v" can bring indices back into range.
    EXPECT_TRUE(readText("v 1 0 0 0 i 1 1 v 2 0 0 0 1 1 1 x").indicesInRange());
}

TEST(ModelFile, ReportsWhatItSkipsCutsShortOrCannotUse) {
    test::RecordedReports report;
    // Offsets: "q" 0, the "i" record 12, the second "v" record 30, "junk" 48.
    std::istringstream in("q v 1 0 0 0 i 2 0 5 o 1 2 3 4 v 2 0 0 0 1 1 1 x junk");
    EXPECT_EQ(readModelFile(in, "m.txt", &report).vertexCount(), 2u);
    std::istringstream shortFile("c 1 0");
    readModelFile(shortFile, "c.txt", &report);
    std::istringstream badFile("v 1 0 0 -");
    readModelFile(badFile, "b.txt", &report);
    std::istringstream emptyFile("");
    readModelFile(emptyFile, "e.txt", &report);
    EXPECT_EQ(report.lines, (std::vector<std::string>{
                                "m.txt@0 skipped 'q' where a record letter was expected",
                                "m.txt@48 note text after the end record 'x' is not read",
                                "m.txt@12 index 5 at or above the vertex count 2",
                                "m.txt@30 vertex colours do not match the vertices",
                                "c.txt@0 record 'c' cut short by the end of the file",
                                "c.txt@-1 note model has no indices; it draws nothing",
                                "b.txt@8 number could not be read; reading ends here",
                                "b.txt@-1 note model has no indices; it draws nothing",
                                "e.txt@-1 note model file is empty; the model draws nothing",
                            }));
}

TEST(ModelFile, LoadsFromDiskAndAMissingFileGivesAnEmptyMesh) {
    test::TempDir dir;
    const std::string path = dir.write("models/tri.mdl", "v 3 0 0 0 1 0 0 0 1 0 i 3 0 1 2 x");
    EXPECT_EQ(loadModelFile(path).indexCount(), 3u);

    const Mesh missing = loadModelFile((dir.path() / "none.mdl").string());
    EXPECT_EQ(missing.vertexCount(), 0u);
    EXPECT_EQ(missing.indexCount(), 0u);
    EXPECT_FALSE(missing.hasVertexColours());
    EXPECT_EQ(missing.colour().a, 1.0f);
    EXPECT_EQ(missing.primitiveMode(), 0);
}

}  // namespace
}  // namespace zelmor
