#pragma once
// The assessment of a CSV table of lakes for the window: the batch pipeline on threads of
// its own, reading the file, while the window stays responsive. It reports the bytes read as
// it goes, can be cancelled at any moment, and hands over the whole table only when every
// row was assessed: a cancelled or failed run leaves nothing behind.

#include "batch/resulttable.h"
#include "engine/engine.h"
#include "samples/samplesrun.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace trophex::ui {

class LakesAssessment : public QObject {
    Q_OBJECT

public:
    explicit LakesAssessment(QObject* parent = nullptr);
    // Cancels a run that is going on and waits for its threads.
    ~LakesAssessment() override;

    // Starts assessing the file, with the load response columns of a target when one is
    // given; false, with the reason in error, when it is no regular file that can be opened.
    // Only one run at a time: starting another cancels the one going on. Only a regular file
    // is opened, so that a pipe or a device cannot block the window.
    bool start(const QString& fileName, const std::optional<engine::ResponseRequest>& response, QString& error);
    // The same for a table of monitoring samples and, when lakesFileName is not empty, its
    // lakes table: the lake-years come first (samplesRead), then their assessment.
    bool startSamples(const QString& samplesFileName, const QString& lakesFileName,
                      const std::optional<engine::ResponseRequest>& response, QString& error);
    void cancel();
    bool running() const { return worker_.joinable(); }
    // Size of the file being read, bytes.
    std::uint64_t totalBytes() const { return totalBytes_; }

signals:
    // Input bytes assessed so far; on the window's thread.
    void progressed(qint64 bytesRead, qint64 totalBytes);
    // The run ended: the whole table when it completed, else nullptr and why (empty when it
    // was cancelled).
    void finished(std::shared_ptr<const trophex::batch::ResultTable> table, const QString& error);
    // The lake-years of a samples table, before their assessment finishes.
    void samplesRead(std::shared_ptr<const trophex::samples::LakeYearTable> lakeYears);

private:
    bool startWorker(std::function<void(std::uint64_t generation)> work, QString& error);
    void run(std::FILE* file, std::optional<engine::ResponseRequest> response, std::uint64_t generation);
    void runSamples(std::FILE* samples, std::FILE* lakes, std::optional<engine::ResponseRequest> response,
                    std::uint64_t generation);
    // Assesses the table that read gives into a table of results; nullptr when the run failed
    // or was cancelled, with the summary saying which.
    std::shared_ptr<const batch::ResultTable> assess(const batch::ReadFunction& read,
                                                     std::optional<engine::ResponseRequest> response,
                                                     std::uint64_t generation, bool reportProgress,
                                                     engine::BatchReport& summary);
    void report(std::uint64_t generation, qint64 bytes);
    void end(std::uint64_t generation, std::shared_ptr<const batch::ResultTable> table, const QString& error);
    void stopWorker();

    std::thread worker_;                                      // runs the batch, while one runs
    std::unique_ptr<batch::BatchCancellation> cancellation_;  // of the run going on; new for each run
    std::uint64_t generation_ = 0;   // counts runs, so that a late report of an earlier run is dropped
    std::uint64_t totalBytes_ = 0;   // size of the file being read, bytes
};

}  // namespace trophex::ui
