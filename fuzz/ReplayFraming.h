#pragma once

#include <string>
#include <string_view>

#include "tests/support/ReplayFiles.h"

namespace zelmor::fuzz {

// Splits the payloads of a replay file's chunks in the fuzz target's second reading.
constexpr char CHUNK_SEPARATOR = '\xFA';

// A replay file of version 1.0 whose chunks hold the pieces of payloads between separators.
inline std::string framedChunks(std::string_view payloads) {
    std::string file = test::bytes::fileHeader();
    for (;;) {
        const std::size_t end = payloads.find(CHUNK_SEPARATOR);
        file += test::bytes::chunk(std::string(payloads.substr(0, end)));
        if (end == std::string_view::npos) {
            return file;
        }
        payloads.remove_prefix(end + 1);
    }
}

}  // namespace zelmor::fuzz
