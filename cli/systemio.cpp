#include "cli/systemio.h"

#if defined(_WIN32)
#include "arithmetic/windowsapi.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace trophex::cli {

#if defined(_WIN32)

namespace {

std::string utf8Of(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::wstring wideOf(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

bool fileIdentity(HANDLE file, BY_HANDLE_FILE_INFORMATION& info)
{
    return file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info) != 0;
}

}  // namespace

std::vector<std::string> startProgram(int, char**)
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(utf8Of(wide[i]));
    LocalFree(wide);
    return args;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return _wfopen(wideOf(path).c_str(), wideOf(mode).c_str());
}

bool isSameRegularFile(std::FILE* stream, const std::string& path)
{
    BY_HANDLE_FILE_INFORMATION open{}, named{};
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (!fileIdentity(handle, open) || GetFileType(handle) != FILE_TYPE_DISK)
        return false;
    const HANDLE other = CreateFileW(wideOf(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool known = fileIdentity(other, named);
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    return known && open.dwVolumeSerialNumber == named.dwVolumeSerialNumber
        && open.nFileIndexHigh == named.nFileIndexHigh && open.nFileIndexLow == named.nFileIndexLow;
}

std::uint64_t regularFileSize(std::FILE* stream)
{
    struct _stat64 st {};
    if (_fstat64(_fileno(stream), &st) != 0 || (st.st_mode & _S_IFREG) == 0)
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

bool isTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

#else

std::vector<std::string> startProgram(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

bool isSameRegularFile(std::FILE* stream, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    return fstat(fileno(stream), &open) == 0 && S_ISREG(open.st_mode) && stat(path.c_str(), &named) == 0
        && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::uint64_t regularFileSize(std::FILE* stream)
{
    struct stat st {};
    if (fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

bool isTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

#endif

}  // namespace trophex::cli
