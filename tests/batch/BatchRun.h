// Runs the printing half of `kalyxprn batch` in a child process on cards made here, so that a
// test may kill it at any moment; and reads what the simulators stored.
#pragma once

#include "BatchCards.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <QTemporaryDir>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace batchtest {

// `count` cards with keys E1001, E1002, ... and small valid jobs that differ per row.
std::vector<cli::BatchCard> makeCards(int count);

struct BatchRun {
    int status = -1; // -1: killed or did not end in time
    QString out;
    QString err;
};

struct RunSetup {
    QString design; // files the journal's header describes
    QString data;
    std::vector<cli::BatchCard> cards;
    int killAfterMs = -1;        // SIGKILL the run after this long
    long long fileSizeLimit = 0; // as on a full disk: most bytes any file written may hold
    bool inputPipe = false;      // standard input is a pipe the test writes (else inherited)
};

BatchRun runBatch(const RunSetup& setup, const QStringList& args);

// A run in the background: wait() collects it (killing it after RunSetup::killAfterMs).
class BackgroundRun {
public:
    BackgroundRun(const RunSetup& setup, const QStringList& args);
    ~BackgroundRun();
    void signal(int number);
    // With RunSetup::inputPipe: writes to the run's standard input, or closes it.
    void say(const QByteArray& text);
    void closeInput();
    // What the run wrote to standard output so far.
    QString outputSoFar() const;
    BatchRun wait();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    int killAfterMs_;
    int pid_ = -1;
    int input_ = -1;
    std::chrono::steady_clock::time_point started_;
};

// The row of each job stored in the simulators' folders (by its bytes), with its count.
std::map<int, int> storedRows(const std::vector<cli::BatchCard>& cards,
                              const std::vector<std::string>& folders);

} // namespace batchtest
