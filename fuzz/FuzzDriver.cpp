// Replay driver for builds without libFuzzer: runs every seed, then
// mutations of them (flips, cuts, inserts, repeats, splices) for a time or
// a number of runs, from a fixed random seed so that a finding repeats.
//
//   fuzz_x [DIR|FILE]... [-seconds=N] [-runs=N] [-seed=N] [-write-seeds=DIR]

#include "fuzz/FuzzTarget.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void AddInputs(const std::filesystem::path& path, std::vector<std::string>& inputs)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(path, error))
            if (entry.is_regular_file(error))
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files)
            inputs.push_back(ReadFile(file));
    } else if (std::filesystem::is_regular_file(path, error)) {
        inputs.push_back(ReadFile(path));
    }
}

std::string Mutate(const std::vector<std::string>& pool, std::mt19937_64& random)
{
    std::string data = pool[random() % pool.size()];
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < steps; ++i) {
        const size_t size = data.size();
        switch (random() % 7) {
        case 0: // flip a bit
            if (size)
                data[random() % size] ^= static_cast<char>(1u << (random() % 8));
            break;
        case 1: // cut the tail
            if (size)
                data.resize(random() % size);
            break;
        case 2: // insert a random or a boundary byte
            data.insert(data.begin() + static_cast<long>(size ? random() % (size + 1) : 0),
                        static_cast<char>(random() % 3 == 0 ? 0xFF : random() % 256));
            break;
        case 3: // set a 32-bit field to an extreme
            if (size >= 4) {
                static const uint32_t extremes[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 1024, 1025, 65536};
                const uint32_t v = extremes[random() % std::size(extremes)];
                std::memcpy(&data[random() % (size - 3)], &v, 4);
            }
            break;
        case 4: // repeat a piece
            if (size) {
                const size_t at = random() % size;
                const size_t len = 1 + random() % std::min<size_t>(size - at, 64);
                const std::string piece = data.substr(at, len);
                for (int n = static_cast<int>(random() % 8); n >= 0; --n)
                    data.insert(at, piece);
            }
            break;
        case 5: // drop a piece
            if (size) {
                const size_t at = random() % size;
                data.erase(at, 1 + random() % std::min<size_t>(size - at, 16));
            }
            break;
        default: { // splice with another input
            const std::string& other = pool[random() % pool.size()];
            if (!other.empty())
                data = data.substr(0, size ? random() % size : 0) + other.substr(random() % other.size());
            break;
        }
        }
    }
    return data;
}

void Run(const std::string& data)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 0;
    long long runs = -1;
    unsigned long long seed = 1;
    std::vector<std::string> inputs = QvFuzzSeeds();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("-seconds=", 0) == 0)
            seconds = std::stod(arg.substr(9));
        else if (arg.rfind("-runs=", 0) == 0)
            runs = std::stoll(arg.substr(6));
        else if (arg.rfind("-seed=", 0) == 0)
            seed = std::stoull(arg.substr(6));
        else if (arg.rfind("-write-seeds=", 0) == 0) {
            const std::filesystem::path dir = arg.substr(13);
            std::filesystem::create_directories(dir);
            int n = 0;
            for (const std::string& s : QvFuzzSeeds()) {
                char name[32];
                std::snprintf(name, sizeof name, "seed-%03d", n++);
                std::ofstream(dir / name, std::ios::binary) << s;
            }
            std::printf("%d seeds written to %s\n", n, dir.string().c_str());
            return 0;
        } else
            AddInputs(arg, inputs);
    }
    if (inputs.empty())
        inputs.emplace_back();
    long long executions = 0;
    for (const std::string& input : inputs) {
        Run(input);
        ++executions;
    }
    std::mt19937_64 random(seed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    const long long budget = runs >= 0 ? runs : (seconds > 0 ? -1 : 0);
    for (long long n = 0; budget < 0 || n < budget; ++n) {
        if (budget < 0 && (n & 63) == 0 && std::chrono::steady_clock::now() >= end)
            break;
        Run(Mutate(inputs, random));
        ++executions;
    }
    std::printf("%s: %lld executions from %zu inputs, no crash\n",
                std::filesystem::path(argv[0]).filename().string().c_str(), executions, inputs.size());
    return 0;
}
