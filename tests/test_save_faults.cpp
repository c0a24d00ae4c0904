// Faults injected into saving: a folder without write permission, a read-only file, a full
// disk, targets that cannot be files, a name without a folder, and the process killed
// between writing and renaming. After each the earlier file is intact, and nothing is left
// behind that the save itself could have cleaned up.
//
// Permissions do not bind root, and a full disk needs a mount: a case that needs either
// runs in a child process that gives up its privileges, or mounts a small tmpfs in a mount
// namespace of its own, and reports what it saw to the test.

#include "files/datafile.h"
#include "tests/disk_helpers.h"
#include "tests/result_texts.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

using namespace trophex;
using namespace trophex::disk;
namespace fs = std::filesystem;

namespace {

const std::string EarlierContents = "earlier contents\r\n";
constexpr uid_t Nobody = 65534;

InputTexts newTexts()
{
    InputTexts t = InputTexts::startup();
    t[Input::NameEditBox] = "New";
    return t;
}

std::string errnoText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Length-prefixed texts through a pipe, from a child process to the test.
void sendText(int fd, const std::string& text)
{
    const std::uint64_t size = text.size();
    if (::write(fd, &size, sizeof size) != sizeof size ||
        ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        ::_exit(3);
}

bool receiveText(int fd, std::string& text)
{
    std::uint64_t size = 0;
    if (::read(fd, &size, sizeof size) != sizeof size)
        return false;
    text.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, &text[got], size - got);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// What a save left behind, as the process that made it saw it.
struct SaveAftermath {
    std::string skipReason;          // set when the child could not set up the fault
    std::string error;               // the save's error text; empty on success
    std::string target;              // the target's bytes afterwards
    std::vector<std::string> names;  // the folder's entries afterwards, sorted
};

// Runs body in a child process that never returns into the test framework.
pid_t forkChild(const std::function<void()>& body)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    try {
        body();
    } catch (...) {
        ::_exit(2);
    }
    ::_exit(0);
}

// Runs prepare and then a save to target in a child process; prepare returns why the
// fault cannot be set up here, or an empty text.
SaveAftermath saveInChild(const std::function<std::string()>& prepare, const fs::path& target)
{
    SaveAftermath after;
    int fds[2];
    if (::pipe(fds) != 0) {
        after.skipReason = errnoText("pipe");
        return after;
    }
    const pid_t pid = forkChild([&] {
        ::close(fds[0]);
        const std::string reason = prepare();
        sendText(fds[1], reason);
        if (!reason.empty())
            return;
        sendText(fds[1], writeDataFile(target.string(), newTexts()).value_or(""));
        sendText(fds[1], slurp(target));
        for (const std::string& name : namesIn(target.parent_path()))
            sendText(fds[1], name);
    });
    ::close(fds[1]);
    receiveText(fds[0], after.skipReason);
    if (after.skipReason.empty()) {
        receiveText(fds[0], after.error);
        receiveText(fds[0], after.target);
        for (std::string name; receiveText(fds[0], name);)
            after.names.push_back(name);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child process failed";
    return after;
}

// Permissions bind a process that is not root; root gives its privileges up, which needs
// a folder that others can reach.
std::string becomeUnprivilegedIn(const fs::path& folder)
{
    if (::geteuid() != 0)
        return {};
    if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
        return errnoText("giving up root");
    if (::access(folder.c_str(), R_OK | X_OK) != 0)
        return errnoText("the test folder cannot be reached without root");
    return {};
}

bool writeMap(const char* file, const std::string& line)
{
    const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    ::close(fd);
    return written;
}

// A mount namespace of this process's own; without root, inside a user namespace that
// maps the process's own ids to themselves.
std::string enterPrivateMountNamespace()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0)
            return errnoText("no mount namespace of its own");
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return errnoText("no user and mount namespace of its own");
        if (!writeMap("/proc/self/setgroups", "deny") ||
            !writeMap("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
            !writeMap("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1"))
            return errnoText("mapping the user and group ids");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return errnoText("making mounts private");
    return {};
}

// A 64 KiB tmpfs on folder holding the earlier file; then fillUp uses up what is left.
std::string mountSmallDisk(const fs::path& folder, const char* options, const std::function<void()>& fillUp)
{
    std::string reason = enterPrivateMountNamespace();
    if (!reason.empty())
        return reason;
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options) != 0)
        return errnoText("mounting a tmpfs");
    spit(folder / "keep.tpx", EarlierContents);
    fillUp();
    return {};
}

void fillWithFiller(const fs::path& folder)
{
    const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const std::string block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
}

void expectIntact(const SaveAftermath& after, const std::string& error, const std::vector<std::string>& names)
{
    EXPECT_EQ(after.error, error);
    EXPECT_EQ(after.target, EarlierContents);
    EXPECT_EQ(after.names, names);
}

class SaveFaults : public DataFileOnDisk {
protected:
    void SetUp() override
    {
        DataFileOnDisk::SetUp();
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
        target = dir / "keep.tpx";
    }
    fs::path target;
};

}  // namespace

TEST_F(SaveFaults, FolderWithoutWritePermission)
{
    spit(target, EarlierContents);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const SaveAftermath after = saveInChild([&] { return becomeUnprivilegedIn(dir); }, target);
    if (!after.skipReason.empty())
        GTEST_SKIP() << after.skipReason;
    expectIntact(after, "Permission denied", {"keep.tpx"});
}

TEST_F(SaveFaults, ReadOnlyFileInAWritableFolderIsNotReplaced)
{
    spit(target, EarlierContents);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir, fs::perms::all);
    const SaveAftermath after = saveInChild([&] { return becomeUnprivilegedIn(dir); }, target);
    if (!after.skipReason.empty())
        GTEST_SKIP() << after.skipReason;
    expectIntact(after, "Permission denied", {"keep.tpx"});
}

TEST_F(SaveFaults, FullDisk)
{
    const SaveAftermath noSpace =
        saveInChild([&] { return mountSmallDisk(dir, "size=64k", [&] { fillWithFiller(dir); }); }, target);
    if (!noSpace.skipReason.empty())
        GTEST_SKIP() << noSpace.skipReason;
    expectIntact(noSpace, "No space left on device", {"filler", "keep.tpx"});

    // Room for data but no file entry left: the temporary file cannot be created.
    const SaveAftermath noEntry = saveInChild([&] { return mountSmallDisk(dir, "size=64k,nr_inodes=2", [] {}); },
                                              target);
    expectIntact(noEntry, "No space left on device", {"keep.tpx"});
}

TEST_F(SaveFaults, FullDeviceIsWrittenIntoAndNotReplaced)
{
    // Root may replace the system's node, so it saves to a node of its own.
    const bool root = ::geteuid() == 0;
    const fs::path device = root ? dir / "full" : fs::path("/dev/full");
    if (root && ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << errnoText("making a device node");
    EXPECT_EQ(writeDataFile(device.string(), newTexts()), "No space left on device");
    EXPECT_TRUE(fs::is_character_file(device));
    if (root) {
        EXPECT_EQ(namesIn(dir), std::vector<std::string>{"full"});
    }
}

TEST_F(SaveFaults, TargetsThatCannotBeFiles)
{
    spit(target, EarlierContents);
    fs::create_directory(dir / "folder.tpx");
    EXPECT_EQ(writeDataFile((dir / "folder.tpx").string(), newTexts()), "Is a directory");
    EXPECT_EQ(writeDataFile(dir.string() + "/", newTexts()), "Is a directory");
    EXPECT_EQ(writeDataFile((dir / "missing" / "keep.tpx").string(), newTexts()), "No such file or directory");
    EXPECT_EQ(writeDataFile((target / "below.tpx").string(), newTexts()), "Not a directory");
    EXPECT_EQ(slurp(target), EarlierContents);
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"folder.tpx", "keep.tpx"}));
}

TEST_F(SaveFaults, LongestNameIsSaved)
{
    const fs::path longest = dir / std::string(255, 'n');
    EXPECT_EQ(writeDataFile(longest.string(), newTexts()), std::nullopt);
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{longest.filename().string()});
}

TEST_F(SaveFaults, NameWithoutFolderIsSavedInTheCurrentFolder)
{
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    spit("keep.tpx", EarlierContents);
    const auto newFile = writeDataFile("lake", newTexts());
    const auto replaced = writeDataFile("keep.tpx", newTexts());
    fs::current_path(before);

    EXPECT_EQ(newFile, std::nullopt);
    EXPECT_EQ(replaced, std::nullopt);
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"keep.tpx", "lake"}));
    EXPECT_EQ(slurp(dir / "lake"), serializeDataFile(newTexts()));
    EXPECT_EQ(slurp(dir / "keep.tpx"), serializeDataFile(newTexts()));
}

// A save killed after its temporary file is complete and synced, just before the rename:
// the earlier file stays as it was, and the complete temporary file (a hidden file named
// after the target) stays behind, since the killed process cannot remove it. Reading
// and saving again are unaffected by it.
TEST_F(SaveFaults, KilledBetweenWritingAndRenaming)
{
    const InputTexts earlier = InputTexts::startup();
    ASSERT_EQ(writeDataFile(target.string(), earlier), std::nullopt);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = forkChild([&] {
        ::close(fds[0]);
        writeDataFile(target.string(), newTexts(), [&](const std::string& tempPath) {
            sendText(fds[1], tempPath);
            for (;;)
                ::pause();
        });
    });
    ::close(fds[1]);
    std::string tempPath;
    const bool reachedRename = receiveText(fds[0], tempPath);
    ::close(fds[0]);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(reachedRename);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    EXPECT_EQ(slurp(target), serializeDataFile(earlier));
    EXPECT_EQ(slurp(tempPath), serializeDataFile(newTexts()));
    const std::vector<std::string> leftBehind = {fs::path(tempPath).filename().string(), "keep.tpx"};
    EXPECT_EQ(namesIn(dir), leftBehind);
    EXPECT_EQ(fs::path(tempPath).filename().string().rfind(".keep.tpx.tmp", 0), 0u);

    const DataFileRead read = readDataFile(target.string());
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.texts->texts, earlier.texts);
    ASSERT_EQ(writeDataFile(target.string(), newTexts()), std::nullopt);
    EXPECT_EQ(readDataFile(target.string()).texts->texts, newTexts().texts);
    EXPECT_EQ(namesIn(dir), leftBehind);
}
