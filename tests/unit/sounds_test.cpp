// The embedded sounds: every count-down role is carried in the executable's
// resources as a well-formed PCM WAV that the player can take from memory, of a
// length that fits its role, and audible.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fake_system.h"
#include "res/resource.h"
#include "schedule/sounds.h"

namespace {

// What a RIFF/WAVE file holds, as far as the player needs it. `error` is empty
// when the file is well-formed; otherwise it says what is wrong.
struct Wave {
    std::string error;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    const std::uint8_t* data = nullptr;
    std::uint32_t dataBytes = 0;
};

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Read32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Walks the chunks of a RIFF/WAVE image without reading past `size`. Chunks of
// odd length are followed by a pad byte that their size does not count; the
// last chunk may lack it. Unknown chunks ("fact", "LIST", …) are skipped.
Wave ParseWave(const std::uint8_t* bytes, std::size_t size) {
    Wave wave;
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        wave.error = "no RIFF/WAVE header";
        return wave;
    }
    const std::uint64_t end = std::uint64_t{Read32(bytes + 4)} + 8;
    if (end != size) {
        wave.error = "RIFF size " + std::to_string(end) + " but " + std::to_string(size) + " bytes";
        return wave;
    }
    bool haveFormat = false;
    bool haveData = false;
    std::uint64_t at = 12;
    while (at < end) {
        if (end - at < 8) {
            wave.error = "truncated chunk header at " + std::to_string(at);
            return wave;
        }
        const std::uint8_t* chunk = bytes + at;
        const std::uint32_t length = Read32(chunk + 4);
        if (length > end - at - 8) {
            wave.error = "chunk at " + std::to_string(at) + " overruns the file";
            return wave;
        }
        const std::uint8_t* body = chunk + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (haveFormat || length < 16) {
                wave.error = "bad or repeated fmt chunk";
                return wave;
            }
            haveFormat = true;
            wave.formatTag = Read16(body);
            wave.channels = Read16(body + 2);
            wave.samplesPerSec = Read32(body + 4);
            wave.avgBytesPerSec = Read32(body + 8);
            wave.blockAlign = Read16(body + 12);
            wave.bitsPerSample = Read16(body + 14);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (haveData || !haveFormat) {
                wave.error = "data chunk repeated or before fmt";
                return wave;
            }
            haveData = true;
            wave.data = body;
            wave.dataBytes = length;
        }
        at += 8 + std::uint64_t{length} + (length & 1);
    }
    if (!haveFormat || !haveData) wave.error = "fmt or data chunk missing";
    return wave;
}

// Largest sample magnitude of 16-bit PCM, read byte-wise since the data chunk
// need not be aligned.
int PeakOf(const Wave& wave) {
    int peak = 0;
    for (std::uint32_t i = 0; i + 1 < wave.dataBytes; i += 2) {
        const int sample = static_cast<std::int16_t>(Read16(wave.data + i));
        peak = std::max(peak, std::abs(sample));
    }
    return peak;
}

struct EmbeddedSound {
    const void* image = nullptr;
    DWORD size = 0;
};

EmbeddedSound FindSound(int id) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found =
        ::FindResourceExW(module, L"WAV_DAT", MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (found == nullptr) return {};
    const HGLOBAL loaded = ::LoadResource(module, found);
    return {loaded ? ::LockResource(loaded) : nullptr, ::SizeofResource(module, found)};
}

struct SoundRole {
    int id;
    const char* role;
    double shortest;  // seconds
    double longest;
};

// A voice must end within its one-second count step; the heartbeat is
// restarted every second but plays whole after the last step.
constexpr SoundRole kRoles[] = {
    {IDW_VOICE_10, "voice 10", 0.2, 0.95},  {IDW_VOICE_9, "voice 9", 0.2, 0.95}, {IDW_VOICE_8, "voice 8", 0.2, 0.95},
    {IDW_VOICE_7, "voice 7", 0.2, 0.95},    {IDW_VOICE_6, "voice 6", 0.2, 0.95}, {IDW_VOICE_5, "voice 5", 0.2, 0.95},
    {IDW_VOICE_4, "voice 4", 0.2, 0.95},    {IDW_VOICE_3, "voice 3", 0.2, 0.95}, {IDW_VOICE_2, "voice 2", 0.2, 0.95},
    {IDW_VOICE_1, "voice 1", 0.2, 0.95},    {IDW_VOICE_0, "voice 0", 0.2, 0.95}, {IDW_EXPLOSION, "explosion", 1.0, 2.5},
    {IDW_HEARTBEAT, "heartbeat", 1.0, 2.5}, {IDW_START, "start", 0.5, 1.5},
};

// A quarter of full scale: anything quieter would be lost beside other sounds.
constexpr int kAudiblePeak = 8192;

TEST(EmbeddedSounds, EveryRoleIsAnAudibleStereoPcmWaveOfFittingLength) {
    for (const SoundRole& role : kRoles) {
        SCOPED_TRACE(role.role);
        const EmbeddedSound sound = FindSound(role.id);
        ASSERT_NE(nullptr, sound.image) << "resource " << role.id << " missing";
        const Wave wave = ParseWave(static_cast<const std::uint8_t*>(sound.image), sound.size);
        ASSERT_EQ("", wave.error);
        EXPECT_EQ(WAVE_FORMAT_PCM, wave.formatTag);
        EXPECT_EQ(2, wave.channels);
        EXPECT_EQ(44100u, wave.samplesPerSec);
        EXPECT_EQ(16, wave.bitsPerSample);
        EXPECT_EQ(4, wave.blockAlign);
        EXPECT_EQ(44100u * 4, wave.avgBytesPerSec);
        EXPECT_EQ(0u, wave.dataBytes % 4);
        const double seconds = wave.dataBytes / (44100.0 * 4);
        EXPECT_GE(seconds, role.shortest);
        EXPECT_LE(seconds, role.longest);
        EXPECT_GT(PeakOf(wave), kAudiblePeak);
    }
}

// The program looks its sounds up without naming a language, under whatever
// locale the user runs; it must still reach these resources and hand the
// player their memory in place.
TEST(EmbeddedSounds, ProgramLookupPlaysTheResourceMemory) {
    FakeSystem fake;
    ScopedSystem installed(fake);
    for (const SoundRole& role : kRoles) {
        SCOPED_TRACE(role.role);
        const std::size_t before = fake.sounds.size();
        PlayEmbeddedSound(role.id, true);
        ASSERT_EQ(before + 1, fake.sounds.size());
        EXPECT_EQ(FindSound(role.id).image, static_cast<const void*>(fake.sounds.back().sound));
    }
}

// The one identifier of the original set with no role to play: nothing plays
// it, so the executable does not carry it.
TEST(EmbeddedSounds, TheSoundWithNoRoleIsNotCarried) {
    constexpr int kSoundWithNoRole = 179;
    EXPECT_EQ(nullptr, FindSound(kSoundWithNoRole).image);
}

// The parser must reject what the player could not take, and step over pad
// bytes and chunks it does not know, or the checks above mean nothing.
std::vector<std::uint8_t> Riff(const std::vector<std::uint8_t>& chunks, int sizeSlack = 0) {
    std::vector<std::uint8_t> file(12 + chunks.size());
    std::memcpy(file.data(), "RIFF", 4);
    std::memcpy(file.data() + 8, "WAVE", 4);
    std::copy(chunks.begin(), chunks.end(), file.begin() + 12);
    const std::uint32_t riffSize = static_cast<std::uint32_t>(file.size() - 8 + sizeSlack);
    for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return file;
}

std::vector<std::uint8_t> Chunk(const char* id, std::vector<std::uint8_t> body, bool pad = true,
                                std::uint32_t statedSize = UINT32_MAX) {
    const auto size = statedSize != UINT32_MAX ? statedSize : static_cast<std::uint32_t>(body.size());
    std::vector<std::uint8_t> chunk(id, id + 4);
    for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    chunk.insert(chunk.end(), body.begin(), body.end());
    if (pad && body.size() % 2 == 1) chunk.push_back(0);
    return chunk;
}

const std::vector<std::uint8_t> kFormat = {1, 0, 2, 0, 0x44, 0xac, 0, 0, 0x10, 0xb1, 2, 0, 4, 0, 16, 0};
const std::vector<std::uint8_t> kData = {1, 0, 2, 0, 3, 0, 4, 0};

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(WaveParser, AcceptsWellFormedAndRejectsBrokenImages) {
    const struct {
        const char* name;
        std::vector<std::uint8_t> image;
        bool wellFormed;
    } cases[] = {
        {"plain", Riff(Join({Chunk("fmt ", kFormat), Chunk("data", kData)})), true},
        {"odd chunk with pad byte before fmt",
         Riff(Join({Chunk("LIST", {1, 2, 3}), Chunk("fmt ", kFormat), Chunk("data", kData)})), true},
        {"odd last chunk without its pad byte",
         Riff(Join({Chunk("fmt ", kFormat), Chunk("data", kData), Chunk("PAD ", {0}, false)})), true},
        {"RIFF size beyond the image", Riff(Join({Chunk("fmt ", kFormat), Chunk("data", kData)}), 2), false},
        {"data size beyond the image", Riff(Join({Chunk("fmt ", kFormat), Chunk("data", kData, true, 0x7fffffff)})),
         false},
        {"no data chunk", Riff(Chunk("fmt ", kFormat)), false},
        {"data before fmt", Riff(Join({Chunk("data", kData), Chunk("fmt ", kFormat)})), false},
        {"short fmt chunk", Riff(Join({Chunk("fmt ", {1, 0, 2, 0}), Chunk("data", kData)})), false},
        {"not RIFF", {'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Wave wave = ParseWave(c.image.data(), c.image.size());
        EXPECT_EQ(c.wellFormed, wave.error.empty()) << wave.error;
        if (c.wellFormed) {
            EXPECT_EQ(kData.size(), wave.dataBytes);
            EXPECT_EQ(4, PeakOf(wave));
        }
    }
}

}  // namespace
