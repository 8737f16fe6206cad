// zelmor-icon DATA OUT SIZE...: draws the bundled tank (DATA/units/tank.unit with the models of
// DATA/models.lst) with the program's own GL view on an offscreen window, and writes
// OUT/<SIZE>x<SIZE>/apps/zelmor.png for each size: the desktop entry's icon, made at build time
// from the models, so that no drawn-by-hand picture needs keeping in step with them. Writes the
// view's "gl.log" into the working directory. Exits 0 when every icon was written, 1 otherwise.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene/FolderFileSource.h"
#include "scene/ModelCache.h"
#include "sim/Unit.h"
#include "view/GLView.h"

namespace {

using namespace zelmor;
namespace fs = std::filesystem;

// Each icon pixel is the mean of SAMPLES x SAMPLES drawn pixels, for smooth edges.
constexpr int SAMPLES = 4;
constexpr int LARGEST = 512;

using Pixels = std::vector<uint8_t>;  // RGBA rows, bottom row first as GL reads them

uint32_t crc32(const std::string& bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int bit = 0; bit < 8; ++bit) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            entries[n] = c;
        }
        return entries;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        c = table[(c ^ static_cast<uint8_t>(byte)) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(const std::string& bytes) {
    uint32_t a = 1;
    uint32_t b = 0;
    for (const char byte : bytes) {
        a = (a + static_cast<uint8_t>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void putBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    putBigEndian(out, crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks: an icon is small, and stored blocks
// need no compressor.
std::string zlibStored(const std::string& data) {
    std::string out("\x78\x01", 2);
    constexpr std::size_t BLOCK = 65535;
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(BLOCK, data.size() - at);
        out += static_cast<char>(at + length == data.size() ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(data, at, length);
        at += length;
    } while (at < data.size());
    putBigEndian(out, adler32(data));
    return out;
}

// An 8-bit RGBA PNG of size x size straight-alpha pixels, top row first.
std::string png(int size, const Pixels& rgba) {
    std::string header;
    putBigEndian(header, static_cast<uint32_t>(size));
    putBigEndian(header, static_cast<uint32_t>(size));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // depth 8, RGBA, no interlace
    std::string rows;
    const std::size_t stride = static_cast<std::size_t>(size) * 4;
    for (std::size_t row = 0; row < static_cast<std::size_t>(size); ++row) {
        rows += '\0';  // no filter
        rows.append(reinterpret_cast<const char*>(rgba.data()) + row * stride, stride);
    }
    std::string out("\x89PNG\r\n\x1a\n", 8);
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", zlibStored(rows));
    putChunk(out, "IEND", "");
    return out;
}

// Three-quarters from the front, a little above: the turret and barrel stand out against the
// hull, as the tanks show in the program's own view.
void frameTheTank(Camera& camera) {
    const Vector3 centre(0.0f, 0.3f, 0.08f);
    const double azimuth = 0.62;
    const double elevation = 0.5;
    const double distance = 5.0;
    const Vector3 eye(float(centre.x + distance * std::cos(elevation) * std::sin(azimuth)),
                      float(centre.y + distance * std::sin(elevation)),
                      float(centre.z + distance * std::cos(elevation) * std::cos(azimuth)));
    camera.setPosition(eye);
    camera.setLookOffset(Vector3(centre.x - eye.x, centre.y - eye.y, centre.z - eye.z));
    camera.setFieldOfView(26.0f);
    camera.setNearPlane(1.0f);
    camera.setFarPlane(20.0f);
}

Pixels draw(GLView& view, std::vector<Unit*>& units, int side, float background) {
    view.setBackground(background, background, background);
    view.beginFrame();
    view.drawList(units);
    Pixels pixels = view.readFrame(side, side);
    view.endFrame();
    return pixels;
}

// The drawing over black gives each pixel's colour times its cover, the one over white what
// shows through as well; their difference is the cover's complement. Averaged over each block
// of samples and turned top row first.
Pixels icon(const Pixels& overBlack, const Pixels& overWhite, int size) {
    const int side = size * SAMPLES;
    Pixels out(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::array<double, 4> sum{};
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    const std::size_t at =
                        (static_cast<std::size_t>(y * SAMPLES + sy) * side + x * SAMPLES + sx) * 4;
                    double through = 0.0;
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += overBlack[at + c];
                        through += overWhite[at + c] - overBlack[at + c];
                    }
                    sum[3] += 255.0 - std::clamp(through / 3.0, 0.0, 255.0);
                }
            }
            const std::size_t to = (static_cast<std::size_t>(size - 1 - y) * size + x) * 4;
            const double cover = sum[3];
            for (int c = 0; c < 3; ++c) {
                const double straight = cover > 0.0 ? 255.0 * sum[c] / cover : 0.0;
                out[to + c] = static_cast<uint8_t>(std::lround(std::min(straight, 255.0)));
            }
            out[to + 3] = static_cast<uint8_t>(std::lround(cover / (SAMPLES * SAMPLES)));
        }
    }
    return out;
}

bool writeFile(const fs::path& path, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "zelmor-icon: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

int fail(const char* message) {
    std::fprintf(stderr, "zelmor-icon: %s\n", message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        return fail("usage: zelmor-icon DATA OUT SIZE...");
    }
    std::vector<int> sizes;
    for (int n = 3; n < argc; ++n) {
        const int size = std::atoi(argv[n]);
        if (size < 16 || size > LARGEST) {
            return fail("an icon size is a number from 16 to 512");
        }
        sizes.push_back(size);
    }
    // A build machine has no display: the offscreen driver draws without one.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GLView view;
    const int side = *std::max_element(sizes.begin(), sizes.end()) * SAMPLES;
    if (view.createWindow("zelmor-icon", 0, 0, side, side, nullptr) == nullptr) {
        return fail("no offscreen GL window to draw the icon in");
    }
    const FolderFileSource files(argv[1], "");
    const ReadContext context{&files, nullptr};
    ModelCache::instance().preload("models.lst", context);
    Unit tank("units/tank.unit", ModelCache::instance(), context);
    if (tank.parts().empty()) {
        view.shutdown();
        return fail("no tank to draw: no parts in DATA/units/tank.unit");
    }
    std::vector<Unit*> units{&tank};
    Camera camera;
    frameTheTank(camera);
    view.setCamera(camera);
    bool written = true;
    for (const int size : sizes) {
        view.resize(size * SAMPLES, size * SAMPLES);
        const Pixels black = draw(view, units, size * SAMPLES, 0.0f);
        const Pixels white = draw(view, units, size * SAMPLES, 1.0f);
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        written &= writeFile(fs::path(argv[2]) / name / "apps" / "zelmor.png",
                             png(size, icon(black, white, size)));
    }
    view.shutdown();
    return written ? 0 : 1;
}
