// Runs a fuzz target without libFuzzer: every file named on the command line (a directory
// stands for the files in it), then a fixed number of inputs made by mutating them with a
// fixed random sequence, so that a run is repeatable. Usage: fuzz_x [-runs=N] [FILE|DIR...]
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {
std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    long runs = 20000;
    std::vector<std::string> corpus;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-runs=", 6) == 0) {
            runs = std::atol(argv[i] + 6);
            continue;
        }
        std::error_code error;
        if (std::filesystem::is_directory(argv[i], error)) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
                if (entry.is_regular_file()) corpus.push_back(ReadFile(entry.path()));
            }
        } else {
            corpus.push_back(ReadFile(argv[i]));
        }
    }
    if (corpus.empty()) corpus.emplace_back();
    for (const std::string& seed : corpus) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    }

    std::mt19937 random(12345);
    for (long run = 0; run < runs; ++run) {
        std::string input = corpus[random() % corpus.size()];
        int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            size_t at = input.empty() ? 0 : random() % (input.size() + 1);
            switch (random() % 5) {
                case 0:  // flip a byte
                    if (!input.empty()) input[at % input.size()] = static_cast<char>(random());
                    break;
                case 1:  // insert a byte
                    input.insert(input.begin() + static_cast<long>(at), static_cast<char>(random()));
                    break;
                case 2:  // erase a run
                    if (!input.empty()) input.erase(at % input.size(), 1 + random() % 16);
                    break;
                case 3:  // cut the tail
                    input.resize(at);
                    break;
                default: {  // copy a run of another seed in
                    const std::string& other = corpus[random() % corpus.size()];
                    if (!other.empty()) {
                        size_t from = random() % other.size();
                        input.insert(at, other.substr(from, 1 + random() % 32));
                    }
                }
            }
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    std::printf("%zu seeds and %ld mutated inputs: no crash\n", corpus.size(), runs);
    return 0;
}
