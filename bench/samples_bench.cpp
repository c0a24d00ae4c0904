// Monitoring samples end to end: generates a Water-Quality-Portal-shaped table of samples and
// its lakes table into a folder, then reads them as `trophex-cli samples --assess --trends`
// does and prints the rows read per second (wall clock and processor time) and the peak
// memory of the run. The aim: 1,000,000 rows/s or faster, under 300 MB, however many rows.
//
// usage: samples_bench [ROWS] [folder]   (default 5000000 rows, folder /tmp)

#include "samples/samplegenerator.h"
#include "samples/samplesrun.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
using namespace trophex;

namespace {

batch::WriteFunction fileWriter(std::FILE* file)
{
    return [file](std::string_view bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            throw std::runtime_error("cannot write the generated tables");
    };
}

batch::ReadFunction fileReader(std::FILE* file)
{
    return [file](char* buffer, std::size_t capacity) { return std::fread(buffer, 1, capacity, file); };
}

std::FILE* openOrThrow(const fs::path& path, const char* mode)
{
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file)
        throw std::runtime_error("cannot open " + path.string());
    return file;
}

void generate(std::uint64_t rows, const fs::path& samples, const fs::path& lakes)
{
    std::FILE* samplesFile = openOrThrow(samples, "wb");
    std::FILE* lakesFile = openOrThrow(lakes, "wb");
    samples::writeGeneratedSamples(rows, 1, fileWriter(samplesFile), fileWriter(lakesFile));
    std::fclose(samplesFile);
    std::fclose(lakesFile);
}

double processorSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::uint64_t rows = argc > 1 ? std::stoull(argv[1]) : 5000000;
    const fs::path folder = argc > 2 ? argv[2] : "/tmp";
    const fs::path samplesPath = folder / "samples_bench_samples.csv";
    const fs::path lakesPath = folder / "samples_bench_lakes.csv";
    try {
        generate(rows, samplesPath, lakesPath);
        std::printf("generated %llu rows, %.0f MB\n", static_cast<unsigned long long>(rows),
                    static_cast<double>(fs::file_size(samplesPath)) / 1e6);

        std::FILE* samplesFile = openOrThrow(samplesPath, "rb");
        std::FILE* lakesFile = openOrThrow(lakesPath, "rb");
        const batch::ReadFunction readLakes = fileReader(lakesFile);
        samples::SamplesSettings settings;
        settings.assess = true;
        std::size_t outputBytes = 0;
        samples::SamplesOutput output;
        output.lakeYears = [&](std::string_view bytes) { outputBytes += bytes.size(); };
        output.trends = [&](std::string_view bytes) { outputBytes += bytes.size(); };

        const auto start = std::chrono::steady_clock::now();
        const double processorStart = processorSeconds();
        const samples::SamplesSummary summary = samples::runSamples(fileReader(samplesFile), &readLakes, settings, output);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double processor = processorSeconds() - processorStart;
        std::fclose(samplesFile);
        std::fclose(lakesFile);
        if (!summary.ok())
            throw std::runtime_error(summary.error);

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%s", samples::summaryText(summary).c_str());
        std::printf("%.2f s wall, %.2f s processor: %.0f rows/s wall, %.0f rows/s per processor second\n", seconds,
                    processor, static_cast<double>(summary.counts.rows) / seconds,
                    static_cast<double>(summary.counts.rows) / processor);
        std::printf("peak memory %.0f MB, output %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024,
                    static_cast<double>(outputBytes) / 1e6);
        fs::remove(samplesPath);
        fs::remove(lakesPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "samples_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
