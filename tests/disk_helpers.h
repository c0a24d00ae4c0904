#pragma once
// Files on disk for the tests: whole-file reading and writing, sparse files, and a fresh
// folder of its own for each test.

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace trophex::disk {

// A new, empty folder in the temporary folder, named after stem and a random token. The
// token is not the process id, which is the same for every process under WebAssembly; a
// name that exists already, another process's, is never taken over.
inline std::filesystem::path freshFolder(std::string stem)
{
    for (char& c : stem)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    static std::mt19937_64 draw(std::random_device{}() ^
                                static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0;; ++attempt) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("trophex_" + stem + "_" + std::to_string(draw()));
        std::error_code error;
        if (std::filesystem::create_directory(folder, error))
            return folder;
        if (attempt == 100)
            throw std::filesystem::filesystem_error("cannot create a test folder", folder, error);
    }
}

// A new folder for the test that is running, named after its suite and its name.
inline std::filesystem::path freshTestFolder()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return freshFolder(std::string(test->test_suite_name()) + "_" + test->name());
}

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
        dir = freshTestFolder();
    }
    void TearDown() override
    {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
};

}  // namespace trophex::disk
