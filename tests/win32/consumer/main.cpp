// A Windows program built against the installed package, the way an integrator would use it:
// asks a printer on the network for its identity and composes a card job.
#include <kalyxcomms/kalyxcomms.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    Orvane::Comms comms;
    auto printer = comms.getEthernetPrinter(argv[1], static_cast<Orvane::Port>(std::atoi(argv[2])));
    if (!printer)
        return 3;
    std::map<std::string, std::string> ids{
        {"id-manufacturer", ""}, {"id-model-name", ""}, {"id-printer-serial", ""}};
    std::string err;
    if (!printer->readSettings(ids, err) || !err.empty() || ids["id-model-name"].empty())
        return 4;

    Orvane::PrintOptions options;
    options.cardOptions["width"] = "1013";
    options.sides[0].emplace();
    (*options.sides[0])[Orvane::PanelK] = Orvane::OptionMap{};
    Orvane::ImageData images;
    images.planes[0][Orvane::PanelK].assign(16, 0xFF);
    std::vector<unsigned char> job;
    if (!printer->printCardToMem(options, images, {}, job) || job.size() < 16 + 5)
        return 5;
    // Nothing is attached by USB here; the list is simply empty.
    const std::size_t usbPrinters = comms.getUsbPrinterInfos().size();
    std::printf("consumer ok: %s %s (%s), job of %zu bytes, %zu USB printers\n",
                ids["id-manufacturer"].c_str(), ids["id-model-name"].c_str(),
                ids["id-printer-serial"].c_str(), job.size(), usbPrinters);
    return 0;
}
