#include "ui/lakesassessment.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>

namespace trophex::ui {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A regular file opened for reading, or nullptr with the reason.
std::FILE* openRegularFile(const QString& fileName, QString& error)
{
    // Opened without waiting, so that a pipe without a writer cannot block the window.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemReason(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? systemReason(EISDIR) : QObject::tr("Not a regular file");
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        error = systemReason(errno);
        ::close(fd);
    }
    return file;
}

std::uint64_t sizeOf(std::FILE* file)
{
    struct stat info {};
    return ::fstat(::fileno(file), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The reader holds the file, and closes it when the last read is done: a read still in
// progress when a cancelled run returns ends later.
batch::ReadFunction readerOf(std::FILE* opened)
{
    const std::shared_ptr<std::FILE> file(opened, std::fclose);
    return [file](char* buffer, std::size_t capacity) {
        const std::size_t got = std::fread(buffer, 1, capacity, file.get());
        if (got == 0 && std::ferror(file.get()))
            throw std::runtime_error(std::strerror(errno));
        return got;
    };
}

}  // namespace

QString reasonSentence(const std::string& reason)
{
    QString text = QString::fromStdString(reason);
    if (text.isEmpty())
        return text;
    text[0] = text[0].toUpper();
    if (!text.endsWith(QLatin1Char('.')) && !text.endsWith(QLatin1Char('!')))
        text += QLatin1Char('.');
    return text;
}

LakesAssessment::LakesAssessment(QObject* parent) : QObject(parent) {}

LakesAssessment::~LakesAssessment()
{
    stopWorker();
}

bool LakesAssessment::start(const QString& fileName, const std::optional<engine::ResponseRequest>& response,
                            QString& error)
{
    stopWorker();
    std::FILE* file = openRegularFile(fileName, error);
    if (!file)
        return false;
    totalBytes_ = sizeOf(file);
    cancellation_ = std::make_unique<batch::BatchCancellation>();
    const std::uint64_t generation = ++generation_;
    try {
        worker_ = std::thread([this, file, response, generation] { run(file, response, generation); });
    } catch (const std::system_error& e) {
        std::fclose(file);
        error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

void LakesAssessment::cancel()
{
    if (cancellation_)
        cancellation_->cancel();
}

void LakesAssessment::stopWorker()
{
    cancel();
    if (worker_.joinable())
        worker_.join();
}

void LakesAssessment::run(std::FILE* file, std::optional<engine::ResponseRequest> response, std::uint64_t generation)
{
    std::shared_ptr<batch::ResultTable> table;
    engine::BatchReport summary;
    try {
        const batch::ReadFunction read = readerOf(file);  // closes the file in every case
        table = std::make_shared<batch::ResultTable>();
        engine::BatchOptions options;
        options.workers = std::max(1u, std::thread::hardware_concurrency());
        options.cancellation = cancellation_.get();
        options.response = std::move(response);
        batch::BatchObserver observer;
        observer.progress = [this, generation](const batch::BatchProgress& progress) {
            const auto bytes = static_cast<qint64>(progress.inputBytes);
            const auto total = static_cast<qint64>(totalBytes_);
            QMetaObject::invokeMethod(
                this, [this, generation, bytes, total] {
                    if (generation == generation_)
                        emit progressed(bytes, total);
                },
                Qt::QueuedConnection);
        };
        summary = engine::assessTable(read, table->consumer(), options, observer);
    } catch (const std::bad_alloc&) {
        summary.error.code = ErrorCode::OutOfMemory;
        summary.error.message = errorMessage(ErrorCode::OutOfMemory);
    }
    if (!summary.ok())
        table.reset();
    const QString error = summary.cancelled ? QString() : reasonSentence(summary.error.message);
    QMetaObject::invokeMethod(
        this, [this, generation, table = std::shared_ptr<const batch::ResultTable>(std::move(table)), error] {
            end(generation, table, error);
        },
        Qt::QueuedConnection);
}

void LakesAssessment::end(std::uint64_t generation, std::shared_ptr<const batch::ResultTable> table,
                          const QString& error)
{
    if (generation != generation_)
        return;
    if (worker_.joinable())
        worker_.join();
    emit finished(std::move(table), error);
}

}  // namespace trophex::ui
