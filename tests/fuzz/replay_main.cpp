// Runs a fuzz target once on every file in the folders and files named on the command
// line; a broken invariant aborts, as it does under the fuzzer.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputFiles(const fs::path& root)
{
    if (!fs::is_directory(root))
        return {root};
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    return files;
}

std::string contentsOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputFiles(argv[i])) {
            const std::string bytes = contentsOf(file);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
