#include "PackFixture.h"
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace fixture {

int failures = 0;

bool check(bool ok, const char *what, const char *file, int line)
{
    if (!ok) {
        ++failures;
        std::cerr << file << ":" << line << ": FAILED: " << what << "\n";
    }
    return ok;
}

namespace {

void put16(Bytes &b, unsigned v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(Bytes &b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// Deterministic bytes, different for every seed.
Bytes noise(std::size_t n, std::uint32_t seed)
{
    Bytes b(n);
    for (auto &c : b) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<unsigned char>(seed >> 24);
    }
    return b;
}

// A 24-bit BMP whose width leaves padding at the end of every row.
Bytes bmp(int width, int height)
{
    const std::uint32_t row = (std::uint32_t(width) * 3 + 3) / 4 * 4;
    Bytes b{'B', 'M'};
    put32(b, 54 + row * std::uint32_t(height));
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, std::uint32_t(width));
    put32(b, std::uint32_t(height));
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i)
        put32(b, 0);
    const Bytes pixels = noise(row * std::uint32_t(height), 7);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// 16-bit mono PCM at 11025 Hz.
Bytes wav(int samples)
{
    Bytes b{'R', 'I', 'F', 'F'};
    put32(b, 36 + 2 * std::uint32_t(samples));
    for (char c : std::string("WAVEfmt "))
        b.push_back(static_cast<unsigned char>(c));
    put32(b, 16);
    put16(b, 1);
    put16(b, 1);
    put32(b, 11025);
    put32(b, 22050);
    put16(b, 2);
    put16(b, 16);
    for (char c : std::string("data"))
        b.push_back(static_cast<unsigned char>(c));
    put32(b, 2 * std::uint32_t(samples));
    for (int i = 0; i < samples; ++i)
        put16(b, static_cast<unsigned>(static_cast<int>(9000 * std::sin(i * 0.07)) & 0xFFFF));
    return b;
}

std::string crlfLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const auto &l : lines)
        text += l + "\r\n";
    return text;
}

std::string shellQuoted(const fs::path &p)
{
    std::string out = "'";
    for (char c : p.string())
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool buildProject(const std::string &tool, const fs::path &dir, bool masked)
{
    std::vector<std::string> lines{"Korvane Pak System Profile", masked ? " 1 " : " 0 ", masked ? " 1 " : " 0 ",
                                   kKey, "Game.exe", kMask};
    for (const auto &[name, bytes] : projectFiles()) {
        writeFile(dir / name, bytes);
        std::string row = name;
        for (char &c : row)
            c = c == '/' ? '\\' : c;
        lines.push_back(row);
    }
    const std::string profile = crlfLines(lines);
    writeFile(dir / "PakProfile.QXT", Bytes(profile.begin(), profile.end()));
    const std::string command = shellQuoted(tool) + " build --quiet " + shellQuoted(dir);
    if (std::system(command.c_str()) != 0) {
        std::cerr << "failed: " << command << "\n";
        return false;
    }
    return true;
}

} // namespace

std::vector<std::pair<std::string, Bytes>> projectFiles()
{
    const std::string readme = "Packed by wrenfold-pak for the adapters' tests.\n";
    return {
        {"gfx/title.bmp", bmp(37, 11)},
        {"gfx/fonts/big.fnt", noise(1000, 3)},
        {"sfx/jump.wav", wav(3001)},
        {"sfx/ch\xC5\x93ur.wav", wav(17)},
        {"maps/level1.map", noise(4097, 4)},
        {"maps/deep/secret/boss.map", noise(5, 5)},
        {"empty.txt", Bytes()},
        {"big.bin", noise(200003, 6)},
        {"readme.txt", Bytes(readme.begin(), readme.end())},
    };
}

bool buildPacks(const std::string &tool, const fs::path &scratch, const fs::path &executable, Packs &packs)
{
    std::error_code ec;
    fs::remove_all(scratch, ec);
    packs.plainDir = scratch / "plain";
    packs.maskedDir = scratch / "masked";
    fs::create_directories(packs.maskedDir);
    if (!fs::copy_file(executable, packs.maskedExe(), ec)) {
        std::cerr << "cannot copy " << executable << ": " << ec.message() << "\n";
        return false;
    }
    return buildProject(tool, packs.plainDir, false) && buildProject(tool, packs.maskedDir, true);
}

Bytes readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path &path, const Bytes &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes plainPack(const std::vector<std::pair<std::string, Bytes>> &entries)
{
    Bytes data, index;
    std::uint32_t offset = 4;
    for (const auto &[name, bytes] : entries) {
        const std::string fields = name + "\r" + std::to_string(offset) + "\r" + std::to_string(bytes.size()) + "\r";
        index.insert(index.end(), fields.begin(), fields.end());
        data.insert(data.end(), bytes.begin(), bytes.end());
        offset += static_cast<std::uint32_t>(bytes.size());
    }
    Bytes pack;
    put32(pack, offset + 1); // the count word's position
    pack.insert(pack.end(), data.begin(), data.end());
    put32(pack, static_cast<std::uint32_t>(entries.size()));
    pack.insert(pack.end(), index.begin(), index.end());
    return pack;
}

} // namespace fixture
