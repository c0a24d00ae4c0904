#include "ui/lakesassessment.h"

#include "batch/lakesview.h"

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

batch::ReadFunction readerOf(std::FILE* file)
{
    return [file](char* buffer, std::size_t capacity) {
        const std::size_t got = std::fread(buffer, 1, capacity, file);
        if (got == 0 && std::ferror(file))
            throw std::runtime_error(std::strerror(errno));
        return got;
    };
}

}  // namespace

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
        summary = engine::assessTable(readerOf(file), table->consumer(), options, observer);
    } catch (const std::bad_alloc&) {
        summary.error.message = std::strerror(ENOMEM);
        summary.error.code = ErrorCode::System;
    }
    std::fclose(file);
    if (!summary.ok())
        table.reset();
    const QString error =
        summary.cancelled ? QString() : QString::fromStdString(batch::reasonSentence(summary.error.message));
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
