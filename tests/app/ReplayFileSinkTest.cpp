#include "app/ReplayFileSink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/ReplayReader.h"
#include "app/ReplayWriter.h"
#include "platform/WindowMessages.h"
#include "tests/support/ReplayFiles.h"
#include "tests/support/TestFiles.h"

namespace zelmor::replay {
namespace {

using Status = ReplayReader::Status;

// Through the C library to a file and back through a file stream: bytes 0x0A and 0x1A come
// back as they went on Windows too.
TEST(ReplayFileSink, AFileOnDiskReadsBackAsWritten) {
    const test::TempDir dir;
    const std::string path = (dir.path() / "session.zrp").string();
    const std::vector<Record> records{
        Header{"1.0.0", "windows", 0x0A0D1A0A},
        EmbeddedFile{"wdf/test.wdf", true, "line\r\nline\n\x1A\n"},
        Handled{10, platform::WM_KEYDOWN, 0x0A, 0x000A000D},
        End{10, 0x0A0A0A0A0A0A0A0A},
    };
    {
        ReplayFileSink sink(path);
        ReplayWriter writer(sink);
        for (const Record& record : records) {
            writer.write(record);
        }
        EXPECT_FALSE(writer.failed()) << writer.failure();
    }
    std::ifstream in(path, std::ios::binary);
    ReplayReader reader(in);
    std::vector<Record> back;
    for (Record record; reader.next(record);) {
        back.push_back(record);
    }
    EXPECT_EQ(reader.status(), Status::Ended) << reader.reason();
    EXPECT_EQ(back, records);
}

TEST(ReplayFileSink, SaysWhyAFileCannotBeMadeOrWritten) {
    const test::TempDir dir;
    ReplayFileSink nowhere((dir.path() / "missing" / "session.zrp").string());
    ReplayWriter refused(nowhere);
    EXPECT_TRUE(refused.failed());
    EXPECT_NE(refused.failure().find("cannot create"), std::string::npos) << refused.failure();

    // A device that is always full: Linux has one. Elsewhere opening the name for writing
    // would make an ordinary file.
    std::error_code error;
    if (!std::filesystem::is_character_file("/dev/full", error)) {
        GTEST_SKIP() << "no /dev/full here";
    }
    ReplayFileSink full("/dev/full");
    ReplayWriter writer(full);
    writer.write(Header{"1.0.0", "linux", 0});
    writer.flush();
    EXPECT_TRUE(writer.failed());
    EXPECT_EQ(writer.failure(), "flush: " + std::string(std::strerror(ENOSPC)));
}

}  // namespace
}  // namespace zelmor::replay
