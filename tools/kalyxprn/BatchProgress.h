// The progress line of a batch on a terminal: rows done of all, cards per second and the time
// left, redrawn at most a few times a second. Nothing at all when stderr is not a terminal.
#pragma once

#include <QElapsedTimer>

class CardBatch;

class BatchProgress {
public:
    explicit BatchProgress(const CardBatch& batch);
    ~BatchProgress();
    void step();
    void clear(); // removes the line, before other output on stderr

private:
    void draw();
    bool shown_ = false;
    int total_ = -1; // -1: unknown (standard input)
    int done_ = 0;
    QElapsedTimer started_, drawn_;
};
