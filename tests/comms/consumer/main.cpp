// Uses the installed library the way an integrator would.
#include <kalyxcomms/kalyxcomms.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    Orvane::Comms comms;
    auto printer = comms.getFilePrinter(argv[1]);
    if (!printer)
        return 3;

    Orvane::PrintOptions options;
    options.cardOptions["width"] = "1013";
    options.sides[0].emplace();
    (*options.sides[0])[Orvane::PanelK] = Orvane::OptionMap{};
    Orvane::ImageData images;
    images.planes[0][Orvane::PanelK].assign(16, 0xFF);
    std::vector<unsigned char> job;
    if (!printer->printCardToMem(options, images, {}, job) || job.size() < 16 + 5)
        return 4;
    if (!printer->printCard(options, images, {}))
        return 5;
    std::string err;
    if (printer->save(err)) // a file never answers
        return 6;
    if (printer->lastFailure() != Orvane::FailureReason::ReadFailed)
        return 7;
    std::printf("consumer ok: %zu bytes, then %s\n", job.size(),
                Orvane::failureName(printer->lastFailure()));
    return 0;
}
