#pragma once

#include <kalyxcomms/Export.h>
#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Session.h>
#include <kalyxcomms/Types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Orvane {

class PrinterImpl;

// One printer reached through the transport it owns. Commands return true whenever the exchange
// completed, also when the printer refused: the refusal is the non-empty error text in `err`.
// False means no usable answer (empty printer, bad argument, transport or framing failure); the
// outputs are then left alone except those a command clears before sending. lastFailure() tells
// why the last call failed.
class KALYXCOMMS_EXPORT Printer {
public:
    explicit Printer(std::unique_ptr<Session>&& transport);
    Printer(Printer&& other) noexcept;
    Printer& operator=(Printer&& other) noexcept;
    virtual ~Printer();

    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Raw bytes, no framing (a PRN job file already carries its own). Fails once the printer
    // takes nothing for the write time-out (30 s), however long the whole write takes.
    bool write(const char* data, int length);
    // How many bytes of the last write() the printer took: all of them after a success; after
    // a failure those it acknowledged (network) or the device accepted (USB).
    std::uint64_t bytesWritten() const;

    // Ends the connection as a finished job should and drops the transport; later calls fail
    // with NotConnected. On the network it ends our side, waits (at most the read time-out)
    // until the printer has acknowledged every byte and closed its side, and fails with
    // ConnectionClosed when the printer reset the connection instead, WriteTimedOut when it
    // took too long. Destroying the printer does the same without saying how it went, and
    // after a failed call closes at once.
    bool close();

    // Safe from any thread while the printer exists, also during a call on another thread:
    // that call, a transfer it waits in included, ends within a few milliseconds with
    // Cancelled, and so does every later call. close() then gives up the connection at once, as
    // destroying the printer does. On transports from outside the library a waiting transfer
    // runs to its own end first.
    void abort();

    // Time-outs of every later call in place of each command's own (an answer is awaited 7 s,
    // 40 s for moveCard and magRead, 9 s for calibrateDyeCtrl; requests and jobs must be taken
    // within 30 s). 0 restores the commands' own.
    void setReadTimeout(std::uint32_t milliseconds);
    void setWriteTimeout(std::uint32_t milliseconds);

    bool moveCard(MoveCardAction action, CardPosition& position, std::string& err);
    bool clearError(ClearErrorAction action, std::string& err);
    bool forceError(ErrorType code, std::string& err);
    bool powerDown(PowerDownAction action, std::string& err);
    bool save(std::string& err);
    bool load(Store store, std::string& err);
    bool magRead(const std::map<std::string, std::string>& options, MagData& data,
                 std::string& err);
    bool updateGlintmark(int slot, const std::vector<unsigned char>& image, std::string& err);
    bool updateCapability(const std::vector<unsigned char>& file, std::string& err);
    bool updateSoftware(const std::vector<unsigned char>& file, std::string& err);
    bool getReport(std::vector<unsigned char>& report, std::string& err);
    bool getGlintmarkPreview(int slot, std::vector<unsigned char>& image, std::string& err);
    bool readSettings(std::map<std::string, std::string>& settings, std::string& err);
    bool writeSettings(std::map<std::string, std::string>& settings, std::string& err);
    bool calibrateDyeCtrl(std::map<std::string, std::string>& results, std::string& err);

    // Sends a composed job; the printer does not answer print jobs.
    bool printCard(const PrintOptions& options, const ImageData& images, const MagData& mag);
    // Appends the job that printCard would send to `out`, after what it already holds.
    bool printCardToMem(const PrintOptions& options, const ImageData& images, const MagData& mag,
                        std::vector<unsigned char>& out);

    // Why the last call above failed: None after a success (also before any call),
    // PrinterRefused when it returned true with an error text, NotConnected on a moved-from
    // printer.
    FailureReason lastFailure() const;
    // What had arrived when the last call above ended: with a failure, whether the other end
    // sent nothing, the start of a printer's answer, or bytes no printer sends.
    Reception lastReception() const;

private:
    std::unique_ptr<PrinterImpl> impl;
};

} // namespace Orvane
