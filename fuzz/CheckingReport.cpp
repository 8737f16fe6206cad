#include "fuzz/CheckingReport.h"

#include <cstdio>
#include <cstdlib>

namespace zelmor::fuzz {

namespace {

[[noreturn]] void broken(const std::string& file, std::streamoff offset, const char* why) {
    std::fprintf(stderr, "bad report for '%s' at %lld: %s\n", file.c_str(),
                 static_cast<long long>(offset), why);
    std::abort();
}

}  // namespace

void CheckingReport::report(const std::string& file, std::streamoff offset, Kind /*kind*/,
                            const std::string& message) {
    ++count_;
    if (message.empty()) {
        broken(file, offset, "empty message");
    }
    if (offset < -1) {
        broken(file, offset, "negative offset");
    }
    const std::string* bytes = files_.find(file);
    // Files that could not be opened have no bytes to point into.
    if (bytes == nullptr) {
        return;
    }
    if (offset > static_cast<std::streamoff>(bytes->size())) {
        broken(file, offset, "offset past the end of the file");
    }
}

}  // namespace zelmor::fuzz
