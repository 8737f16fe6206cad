#include "sim/UnitFile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/Unit.h"
#include "tests/support/RecordedReports.h"
#include "tests/support/TestFiles.h"

namespace zelmor {
namespace {

class UnitFileTest : public testing::Test {
protected:
    UnitFileTest() {
        const std::string triangle = dir.write("tri.mdl", "v 3 0 0 0 1 0 0 0 1 0 i 3 0 1 2 p 4 x");
        models.preload(dir.write("list", "hull " + triangle + " turret " + triangle));
    }
    Unit read(const std::string& text, ReadReport* report = nullptr) {
        std::istringstream in(text);
        Unit unit;
        UnitFile::read(in, "t.unit", models, report, unit);
        return unit;
    }
    std::vector<std::string> partNames(const Unit& unit) {
        std::vector<std::string> names;
        for (const auto& [name, part] : unit.parts()) {
            names.push_back(name);
        }
        return names;
    }

    test::TempDir dir;
    ModelCache models;
};

// The part under construction is never reset: a part inherits the model, offset and angles
// of the part stored before it unless a record changes them.
TEST_F(UnitFileTest, PartsKeepNameOrderAndInheritTheValuesBeforeThem) {
    const Unit unit = read(
        "m turret p 0 1 0 o 0 90 0 a turret\n"
        "m hull a body\n"
        "p 0 2 0 a gun a gun x");
    ASSERT_EQ(partNames(unit), (std::vector<std::string>{"body", "gun", "turret"}));
    const SceneObject& body = unit.parts().at("body");
    const SceneObject& turret = unit.parts().at("turret");
    EXPECT_EQ(turret.mesh, models.get("turret"));
    EXPECT_EQ(body.mesh, models.get("hull"));
    EXPECT_EQ(body.position, Vector3(0, 1, 0));
    EXPECT_EQ(body.angles, Vector3(0, 90, 0));
    EXPECT_EQ(unit.parts().at("gun").position, Vector3(0, 2, 0));
    EXPECT_EQ(body.boundingRadius, 1.0f);
    EXPECT_EQ(unit.boundingRadius, 0.8125f);
    EXPECT_EQ(unit.mesh, nullptr);
}

TEST_F(UnitFileTest, StrayCharactersAreSkippedOneByOneAndTheirRecordLettersStartRecords) {
    // "hello": h, e, l, l are skipped and the o reads the next three numbers as angles.
    const Unit unit = read("hello 1 2 3 M hull a first 7 Ax");
    ASSERT_EQ(partNames(unit), (std::vector<std::string>{"first"}));
    EXPECT_EQ(unit.parts().at("first").angles, Vector3(1, 2, 3));
    EXPECT_EQ(unit.parts().at("first").mesh, nullptr) << "upper-case M is no record";
    // "mhull" reads as "m" with the model name "hull" written against it.
    EXPECT_EQ(read("mhull ahull").parts().at("hull").mesh, models.get("hull"));
}

TEST_F(UnitFileTest, ReadingEndsAtXTheEndOfTheInputOrAMalformedNumber) {
    EXPECT_EQ(partNames(read("a one x a two")), std::vector<std::string>{"one"});
    EXPECT_EQ(partNames(read("a one a two")), (std::vector<std::string>{"one", "two"}));
    const Unit cut = read("a one p 1 2");
    EXPECT_EQ(partNames(cut), std::vector<std::string>{"one"});
    const Unit malformed = read("p 4 4 4 a one p 1 q 3 a two");
    ASSERT_EQ(partNames(malformed), std::vector<std::string>{"one"});
    EXPECT_EQ(malformed.parts().at("one").position, Vector3(4, 4, 4));
    EXPECT_TRUE(read("a").parts().empty());
}

TEST_F(UnitFileTest, AFileThatCannotBeOpenedGivesAUnitWithoutParts) {
    test::RecordedReports heard;
    const Unit unit("no/such/file.unit", models, ReadContext{&FileSource::disk(), &heard});
    EXPECT_TRUE(unit.parts().empty());
    EXPECT_EQ(unit.boundingRadius, Unit::UNIT_RADIUS);
    EXPECT_EQ(unit.speed(), 0.0f);
    EXPECT_EQ(heard.lines,
              std::vector<std::string>{
                  "no/such/file.unit@-1 unit file cannot be opened; the unit has no parts"});
    const Unit fromDisk(dir.write("a.unit", "m hull a hull x"), models, ReadContext{});
    EXPECT_EQ(partNames(fromDisk), std::vector<std::string>{"hull"});
}

TEST_F(UnitFileTest, ReportsGiveTheOffsetOfWhatWasSkippedMissingOrUnreadable) {
    test::RecordedReports heard;
    read("Q m ghost a one p 1 y", &heard);
    read("p 1 2", &heard);
    read("m hull a one x\n a two", &heard);
    EXPECT_EQ(heard.lines, (std::vector<std::string>{
                               "t.unit@0 skipped 'Q' where a record letter was expected",
                               "t.unit@4 model 'ghost' is in no model list loaded before this unit",
                               "t.unit@12 part 'one' has no model and draws nothing",
                               "t.unit@20 number could not be read; reading ends here",
                               "t.unit@0 record 'p' cut short by the end of the file",
                               "t.unit@-1 unit file stores no parts; the unit shows nothing",
                               "t.unit@16 note text after the end record 'x' is not read",
                           }));
}

}  // namespace
}  // namespace zelmor
