#pragma once
// Files on disk for the data-file tests: whole-file reading and writing, sparse files,
// and a fresh folder per test.

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace trophex::disk {

inline std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void spit(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

// A file of the given size that holds head at its start and tail at its end and nothing
// but a hole in between, which takes no room on disk.
inline void spitSparse(const std::filesystem::path& p, const std::string& head, std::uintmax_t size,
                       const std::string& tail = {})
{
    spit(p, head);
    std::filesystem::resize_file(p, size - tail.size());
    std::ofstream(p, std::ios::binary | std::ios::app) << tail;
}

// Whether sparse files of that size can be made in the folder: a 32-bit file interface
// (WebAssembly's) cannot make a file larger than 2 GiB, and what it makes instead would
// test nothing.
inline bool makesSparseFilesOf(const std::filesystem::path& folder, std::uintmax_t size)
{
    const std::filesystem::path probe = folder / "sparse_probe";
    spitSparse(probe, "head", size, "tail");
    std::error_code error;
    std::string start(4, '\0');
    std::ifstream(probe, std::ios::binary).read(start.data(), 4);
    const bool made = std::filesystem::file_size(probe, error) == size && start == "head";
    std::filesystem::remove(probe, error);
    return made;
}

class DataFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("trophex_" + std::string(test->name()) + "_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
};

}  // namespace trophex::disk
