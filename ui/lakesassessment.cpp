#include "ui/lakesassessment.h"

#include "batch/lakesview.h"

#include <QDir>
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

LakesAssessment::LakesAssessment(QObject* parent) : QObject(parent) {}

LakesAssessment::~LakesAssessment()
{
    stopWorker();
}

bool LakesAssessment::startWorker(std::function<void(std::uint64_t generation)> work, QString& error)
{
    cancellation_ = std::make_unique<batch::BatchCancellation>();
    const std::uint64_t generation = ++generation_;
    try {
        worker_ = std::thread([work = std::move(work), generation] { work(generation); });
    } catch (const std::system_error& e) {
        error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

bool LakesAssessment::start(const QString& fileName, const std::optional<engine::ResponseRequest>& response,
                            QString& error)
{
    stopWorker();
    std::FILE* file = openRegularFile(fileName, error);
    if (!file)
        return false;
    totalBytes_ = sizeOf(file);
    if (startWorker([this, file, response](std::uint64_t generation) { run(file, response, generation); }, error))
        return true;
    std::fclose(file);
    return false;
}

bool LakesAssessment::startSamples(const QString& samplesFileName, const QString& lakesFileName,
                                   const std::optional<engine::ResponseRequest>& response, QString& error)
{
    stopWorker();
    std::FILE* samples = openRegularFile(samplesFileName, error);
    if (!samples)
        return false;
    std::FILE* lakes = nullptr;
    if (!lakesFileName.isEmpty() && !(lakes = openRegularFile(lakesFileName, error))) {
        std::fclose(samples);
        error = QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(lakesFileName), error);
        return false;
    }
    totalBytes_ = sizeOf(samples);
    if (startWorker([=](std::uint64_t generation) { runSamples(samples, lakes, response, generation); }, error))
        return true;
    std::fclose(samples);
    if (lakes)
        std::fclose(lakes);
    return false;
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

void LakesAssessment::report(std::uint64_t generation, qint64 bytes)
{
    const auto total = static_cast<qint64>(totalBytes_);
    QMetaObject::invokeMethod(
        this, [this, generation, bytes, total] {
            if (generation == generation_)
                emit progressed(bytes, total);
        },
        Qt::QueuedConnection);
}

std::shared_ptr<const batch::ResultTable> LakesAssessment::assess(const batch::ReadFunction& read,
                                                                  std::optional<engine::ResponseRequest> response,
                                                                  std::uint64_t generation, bool reportProgress,
                                                                  engine::BatchReport& summary)
{
    std::shared_ptr<batch::ResultTable> table;
    try {
        table = std::make_shared<batch::ResultTable>();
        engine::BatchOptions options;
        options.workers = std::max(1u, std::thread::hardware_concurrency());
        options.cancellation = cancellation_.get();
        options.response = std::move(response);
        batch::BatchObserver observer;
        if (reportProgress)
            observer.progress = [this, generation](const batch::BatchProgress& progress) {
                report(generation, static_cast<qint64>(progress.inputBytes));
            };
        summary = engine::assessTable(read, table->consumer(), options, observer);
    } catch (const std::bad_alloc&) {
        summary.error.code = ErrorCode::OutOfMemory;
        summary.error.message = errorMessage(ErrorCode::OutOfMemory);
    }
    if (!summary.ok())
        table.reset();
    return table;
}

void LakesAssessment::run(std::FILE* file, std::optional<engine::ResponseRequest> response, std::uint64_t generation)
{
    engine::BatchReport summary;
    // The reader closes the file in every case.
    std::shared_ptr<const batch::ResultTable> table = assess(readerOf(file), std::move(response), generation, true, summary);
    const QString error = summary.cancelled ? QString() : QString::fromStdString(batch::reasonSentence(summary.error.message));
    QMetaObject::invokeMethod(
        this, [this, generation, table, error] { end(generation, table, error); }, Qt::QueuedConnection);
}

void LakesAssessment::runSamples(std::FILE* samplesFile, std::FILE* lakesFile,
                                 std::optional<engine::ResponseRequest> response, std::uint64_t generation)
{
    // The samples are read with progress by their bytes; a cancellation stops the reading.
    std::uint64_t bytesRead = 0;
    const batch::ReadFunction readSamples = [&, read = readerOf(samplesFile)](char* buffer, std::size_t capacity) {
        if (cancellation_->cancelled())
            throw std::runtime_error(batch::CancelledError);
        const std::size_t got = read(buffer, capacity);
        bytesRead += got;
        report(generation, static_cast<qint64>(bytesRead));
        return got;
    };
    const batch::ReadFunction readLakes = lakesFile ? readerOf(lakesFile) : batch::ReadFunction();
    auto lakeYears = std::make_shared<samples::LakeYearTable>();
    try {
        *lakeYears = samples::readLakeYears(readSamples, lakesFile ? &readLakes : nullptr, samples::SampleRules{});
    } catch (const std::bad_alloc&) {
        lakeYears->summary.error = errorMessage(ErrorCode::OutOfMemory);
    }
    engine::BatchReport summary;
    std::shared_ptr<const batch::ResultTable> table;
    if (cancellation_->cancelled()) {
        summary.cancelled = true;
    } else if (!lakeYears->summary.ok()) {
        summary.error.message = lakeYears->summary.error;
    } else {
        QMetaObject::invokeMethod(
            this, [this, generation, lakeYears] {
                if (generation == generation_)
                    emit samplesRead(lakeYears);
            },
            Qt::QueuedConnection);
        const std::string input = samples::batchInputOf(*lakeYears);
        std::size_t pos = 0;
        table = assess([&](char* buffer, std::size_t capacity) {
                           const std::size_t n = input.copy(buffer, capacity, pos);
                           pos += n;
                           return n;
                       },
                       std::move(response), generation, false, summary);
    }
    const QString error = summary.cancelled ? QString() : QString::fromStdString(batch::reasonSentence(summary.error.message));
    QMetaObject::invokeMethod(
        this, [this, generation, table, error] { end(generation, table, error); }, Qt::QueuedConnection);
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
