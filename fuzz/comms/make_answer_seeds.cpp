// Writes a seed corpus for the answer fuzzer into the directory given: well-formed answers to the
// commands the fuzzer sends, each after the byte that makes it the first call, some followed by
// the answer to the next call.
#include "WireFrame.h"

#include <cstdio>
#include <string>

using kalyxtest::answer;

namespace {

struct Seed {
    char firstCall; // index into the fuzzer's table of calls
    std::string bytes;
};

bool writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_answer_seeds DIRECTORY\n");
        return 2;
    }
    const std::string settings = answer("<get-response><param id=\"id-model-name\">K200</param>"
                                        "<param id=\"sim-fault\"></param></get-response>");
    const std::string set = answer("<set-response><param id=\"sim-mag-track2\"/></set-response>");
    const std::string moved =
        answer("<card-move-response><position>standby</position></card-move-response>");
    const std::string mag =
        answer("<mag-read-response><track track=\"1\"><num-bits>12</num-bits></track>"
               "<track track=\"2\"><num-bits>5</num-bits></track></mag-read-response>",
               "\xa5\x0f\x13");
    const Seed seeds[] = {
        {0, settings},
        {0, settings + set + moved},
        {0, answer("<error>printer busy</error><get-response/>")},
        {0, "\x17\x17" + settings},
        {1, set},
        {2, moved + mag},
        {3, mag},
        {4, answer("<get-report-response/>", std::string(300, 'r'))},
        {5, answer("<get-glintmark-preview-response/>", std::string(64, '\x80'))},
        {6, answer("<calibrate-dye-ctrl-response><param id=\"dye\">12</param>"
                   "</calibrate-dye-ctrl-response>")},
        {7, answer("<error-clear-response/>")},
        {7, kalyxtest::frame("<prn><error-clear-response/></prn>", {}, true)},
    };
    int index = 0;
    for (const Seed& seed : seeds) {
        const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(++index);
        if (!writeFile(path, std::string(1, seed.firstCall) + seed.bytes)) {
            std::fprintf(stderr, "make_answer_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
