// DICOM and NIfTI read in a child: a reader that crashes, or is killed
// from outside, is a refusal naming the file it was reading; the process
// that asked goes on and writes nothing.
#include "scan/isolated_import.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "tests/common/run_command.h"
#include "tests/common/temp_dir.h"

namespace {

using namespace scan;
using testing_support::TempDir;

// The phantom head as a DICOM series and a NIfTI file, written once.
const std::string& phantoms() {
    static TempDir dir;
    static const int status =
        testing_support::runCommand(std::string(PYTHON " " PHANTOM_SCRIPT " ") + dir.path()).status;
    EXPECT_EQ(status, 0);
    return dir.path();
}

std::string faultyFile;  // where the faults below strike

void abortThere(const std::string& file) {
    if (file == faultyFile) std::abort();
}
void faultThere(const std::string& file) {
    if (file == faultyFile) *static_cast<volatile int*>(nullptr) = 1;
}
void sleepThere(const std::string& file) {
    while (file == faultyFile) sleep(1);
}

// The state letter of process `pid` and its parent's id; false when gone.
bool processState(const std::string& pid, char& state, int& parent) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    // After the name in parentheses: the state, then the parent's id.
    return std::getline(stat, line) && line.rfind(')') != std::string::npos &&
           std::sscanf(line.c_str() + line.rfind(')') + 2, "%c %d", &state, &parent) == 2;
}

// The child of this process once it has slept for a while (at the fault).
pid_t sleepingChild() {
    int asleep = 0;
    for (int attempt = 0; attempt < 1000; ++attempt, usleep(100000)) {
        std::string child;
        char state = 0;
        DIR* proc = opendir("/proc");
        for (dirent* entry; proc != nullptr && child.empty() && (entry = readdir(proc)) != nullptr;) {
            int parent = 0;
            if (processState(entry->d_name, state, parent) && parent == getpid()) child = entry->d_name;
        }
        if (proc != nullptr) closedir(proc);
        asleep = !child.empty() && state == 'S' ? asleep + 1 : 0;
        if (asleep == 3) return std::atoi(child.c_str());
    }
    return -1;
}

std::string text(std::FILE* file) {
    std::string all;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) all += static_cast<char>(c);
    std::fclose(file);
    return all;
}

struct ImportRun {
    int status = -1;
    std::string err;
};

// volimport's run of `input`, its errors kept.
ImportRun import(InputKind kind, const std::string& input, const std::string& output) {
    Options options;
    options.input = kind;
    options.inputPath = input;
    options.outputPath = output;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ImportRun run;
    run.status = runImport(options, out, err);
    std::fclose(out);
    run.err = text(err);
    return run;
}

TEST(IsolatedImport, ReaderThatDiesIsARefusalNamingItsFile) {
    const std::string series = phantoms() + "/series", nifti = phantoms() + "/head.nii.gz";
    TempDir out;
    const std::string output = out.file("scan.dat");
    const struct {
        InputKind kind;
        const std::string& input;
        std::string faulty;
        ReaderFault fault;
        const char* where;  // after the input's name
    } cases[] = {
        {InputKind::Dicom, series, series + "/slice05", &abortThere,
         ": the reader process failed (signal 6 (Aborted)) while reading "},
        {InputKind::Dicom, series, series + "/slice02", &faultThere, ": the reader process failed ("},
        {InputKind::Nifti, nifti, nifti, &abortThere, ": the reader process failed (signal 6 (Aborted)): "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faulty);
        faultyFile = c.faulty;
        setReaderFaultForTests(c.fault);
        const ImportRun failed = import(c.kind, c.input, output);
        setReaderFaultForTests(nullptr);
        EXPECT_EQ(failed.status, 1);
        const std::string said = "volimport: " + c.input + c.where;
        EXPECT_NE(failed.err.find(said), std::string::npos) << failed.err;
        if (c.kind == InputKind::Dicom) {
            EXPECT_NE(failed.err.find(" while reading " + c.faulty + ": the file is damaged or crafted\n"),
                      std::string::npos)
                << failed.err;
        }
        EXPECT_EQ(out.entries(), std::vector<std::string>{});
        // The same import, no longer disturbed, goes through.
        const ImportRun again = import(c.kind, c.input, output);
        EXPECT_EQ(again.status, 0) << again.err;
        std::remove(output.c_str());
    }
}

TEST(IsolatedImport, ReaderKilledFromOutsideIsARefusal) {
    const std::string series = phantoms() + "/series";
    faultyFile = series + "/slice03";
    setReaderFaultForTests(&sleepThere);
    std::thread killer([] {
        const pid_t child = sleepingChild();
        if (child > 0) kill(child, SIGTERM);  // never -1: that would be every process of the user
    });
    Options options;
    options.input = InputKind::Dicom;
    options.inputPath = series;
    ImportedScan scan;
    std::string error;
    std::FILE* notes = std::tmpfile();
    EXPECT_FALSE(importScan(options, 128, notes, notes, scan, error));
    killer.join();
    setReaderFaultForTests(nullptr);
    EXPECT_EQ(error, series + ": the reader process failed (signal 15 (Terminated)) while reading " +
                         faultyFile + ": the file is damaged or crafted");
    EXPECT_TRUE(scan.cubic.samples.empty());
    std::fclose(notes);
}

// The viewer's slices: the samples as read cross over beside the fitted
// ones, at their own spacing, the DICOM series and the NIfTI file in the
// same orientation.
TEST(IsolatedImport, KeptSamplesComeBackAsReadBesideTheFittedOnes) {
    const std::string series = phantoms() + "/series", nifti = phantoms() + "/head.nii.gz";
    std::vector<uint16_t> brightest[2];
    int which = 0;
    for (const auto& input :
         {std::make_pair(InputKind::Dicom, series), std::make_pair(InputKind::Nifti, nifti)}) {
        SCOPED_TRACE(input.second);
        Options options;
        options.input = input.first;
        options.inputPath = input.second;
        ImportedScan plain;
        std::string error;
        std::FILE* notes = std::tmpfile();
        ASSERT_TRUE(importScan(options, 16, notes, notes, plain, error)) << error;
        EXPECT_TRUE(plain.kept.samples.empty()) << "kept only when asked";
        options.keepSamples = true;
        ImportedScan scan;
        ASSERT_TRUE(importScan(options, 16, notes, notes, scan, error)) << error;
        std::fclose(notes);
        EXPECT_EQ(std::vector<int>(scan.cubic.dims, scan.cubic.dims + 3), (std::vector<int>{16, 16, 16}));
        EXPECT_EQ(scan.cubic.samples, plain.cubic.samples) << "the fitted samples are the same";
        ASSERT_EQ(std::vector<int>(scan.kept.dims, scan.kept.dims + 3), (std::vector<int>{32, 32, 32}));
        ASSERT_EQ(scan.kept.samples.size(), 32u * 32u * 32u);
        EXPECT_EQ(std::vector<double>(scan.keptSpacing, scan.keptSpacing + 3),
                  (std::vector<double>{2, 2, 2}));
        // The same place in both, in DICOM patient coordinates: NIfTI's RAS turned, y reversed.
        const PatientPlacement& place = scan.keptPlacement;
        EXPECT_EQ(std::vector<double>(place.first, place.first + 3), (std::vector<double>{-31, 37, -40}));
        EXPECT_TRUE(place.known && place.axes[0][0] == 1 && place.axes[1][1] == -1 && place.axes[2][2] == 1);
        if (input.first == InputKind::Dicom) {
            EXPECT_EQ(scan.kept.at(15, 15, 13), 40 + 1024) << "soft tissue";
        }
        // The shell of the brightest value, in each input's own values.
        const uint16_t top = *std::max_element(scan.kept.samples.begin(), scan.kept.samples.end());
        for (uint16_t sample : scan.kept.samples) brightest[which].push_back(sample == top ? 1 : 0);
        ++which;
    }
    EXPECT_EQ(brightest[0], brightest[1]);
}

}  // namespace
