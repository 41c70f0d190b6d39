#include "PipePrinter.h"

#include "WireFrame.h"

#include <prnformat/Crc32.h>

#include <pugixml.hpp>

#include <chrono>

namespace wintest {

std::string uniquePipePath(const std::string& tag) {
    static std::atomic<int> counter{0};
    return "\\\\.\\pipe\\kalyx-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + "-" + tag;
}

PipeEnd::PipeEnd(const std::string& path, DWORD outBuffer, DWORD instances) : path_(path) {
    handle_ = ::CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, instances,
                                 outBuffer, 1 << 20, 0, nullptr);
}

PipeEnd::~PipeEnd() {
    close();
}

void PipeEnd::close() {
    if (handle_ != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool PipeEnd::waitConnected(DWORD timeoutMs) {
    if (connected_)
        return true;
    OVERLAPPED ov{};
    ov.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    BOOL ok = ::ConnectNamedPipe(handle_, &ov);
    DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (error == ERROR_IO_PENDING) {
        DWORD unused = 0;
        if (::WaitForSingleObject(ov.hEvent, timeoutMs) != WAIT_OBJECT_0) {
            ::CancelIo(handle_);
        }
        ok = ::GetOverlappedResult(handle_, &ov, &unused, TRUE);
        error = ok ? ERROR_SUCCESS : ::GetLastError();
    }
    ::CloseHandle(ov.hEvent);
    // ERROR_NO_DATA: the device side opened and closed again before we looked.
    connected_ = error == ERROR_SUCCESS || error == ERROR_PIPE_CONNECTED || error == ERROR_NO_DATA;
    broken_ = error == ERROR_NO_DATA;
    return connected_;
}

void PipeEnd::disconnect() {
    ::DisconnectNamedPipe(handle_);
    connected_ = false;
    broken_ = false;
}

bool PipeEnd::transfer(bool sending, char* data, DWORD size, DWORD timeoutMs, DWORD& moved) {
    OVERLAPPED ov{};
    ov.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    BOOL ok = sending ? ::WriteFile(handle_, data, size, nullptr, &ov)
                      : ::ReadFile(handle_, data, size, nullptr, &ov);
    moved = 0;
    if (ok || ::GetLastError() == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(ov.hEvent, timeoutMs) != WAIT_OBJECT_0)
            ::CancelIo(handle_);
        ok = ::GetOverlappedResult(handle_, &ov, &moved, TRUE);
    }
    if (!ok) {
        const DWORD error = ::GetLastError();
        broken_ = error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED ||
                  error == ERROR_NO_DATA || error == ERROR_INVALID_HANDLE;
    }
    ::CloseHandle(ov.hEvent);
    return ok != FALSE;
}

bool PipeEnd::send(const std::string& bytes, DWORD timeoutMs) {
    std::string copy = bytes;
    std::size_t done = 0;
    while (done < copy.size()) {
        DWORD moved = 0;
        if (!transfer(true, &copy[done], static_cast<DWORD>(copy.size() - done), timeoutMs, moved))
            return false;
        done += moved;
    }
    return true;
}

std::string PipeEnd::receive(std::size_t max, DWORD timeoutMs) {
    std::string bytes(max, '\0');
    DWORD moved = 0;
    transfer(false, &bytes[0], static_cast<DWORD>(max), timeoutMs, moved);
    bytes.resize(moved);
    return bytes;
}

std::string PipeEnd::receiveExactly(std::size_t count, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string bytes;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        const std::string got = receive(count - bytes.size(), static_cast<DWORD>(left));
        if (got.empty() && broken_)
            break;
        bytes += got;
    }
    return bytes;
}

std::map<std::string, std::string> identity(const std::string& serial) {
    return {{"id-manufacturer", "Kalyx"}, {"id-model-name", "K9"}, {"id-printer-serial", serial}};
}

PipePrinter::PipePrinter(const std::string& path, std::map<std::string, std::string> settings,
                         Reply reply, int instances)
    : settings_(std::move(settings)), reply_(reply) {
    for (int i = 0; i < instances; ++i)
        ends_.push_back(std::make_unique<PipeEnd>(path, 1 << 20, static_cast<DWORD>(instances)));
    for (const auto& end : ends_)
        threads_.emplace_back([this, &end] { run(*end); });
}

PipePrinter::~PipePrinter() {
    stop_ = true;
    for (std::thread& t : threads_)
        t.join();
}

std::vector<std::string> PipePrinter::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<std::string> PipePrinter::openedBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return openedBytes_;
}

bool PipePrinter::waitIdle(int opens, DWORD timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (opens_ < opens || !ready_) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ::Sleep(1);
    }
    return true;
}

void PipePrinter::run(PipeEnd& end) {
    while (!stop_) {
        ready_ = true;
        if (!end.waitConnected(20))
            continue;
        ready_ = false;
        ++opens_;
        std::string pending;
        std::string all;
        // Serve this open until the device side closes it.
        while (!stop_ && !end.broken()) {
            const std::string got = end.receive(65536, 20);
            pending += got;
            all += got;
            for (;;) {
                const std::size_t nul = pending.find('\0');
                if (nul == std::string::npos)
                    break;
                pugi::xml_document doc;
                doc.load_buffer(pending.data(), nul);
                const std::size_t size = doc.child("prn").child("binary-size").text().as_uint();
                const std::size_t total = nul + 1 + size + 4;
                if (pending.size() < total)
                    break;
                const std::uint32_t crc = Orvane::crc32(pending.data(), nul + 1 + size);
                const std::uint32_t sent = Orvane::loadCrcLe(
                    reinterpret_cast<const unsigned char*>(pending.data()) + total - 4);
                const std::string xml = pending.substr(0, nul);
                pending.erase(0, total);
                if (crc == sent)
                    answer(end, xml);
            }
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            openedBytes_.push_back(std::move(all));
        }
        end.disconnect();
    }
}

} // namespace wintest

namespace wintest {

void PipePrinter::answer(PipeEnd& end, const std::string& xml) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(xml);
    }
    if (reply_ == Reply::Silent)
        return;
    pugi::xml_document request;
    request.load_string(xml.c_str());
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><get-response>";
    for (pugi::xml_node param : request.child("prn").child("get").children("param")) {
        const auto it = settings_.find(param.attribute("id").value());
        if (it != settings_.end())
            text += "<param id=\"" + it->first + "\">" + it->second + "</param>";
    }
    text += "</get-response><binary-size>0</binary-size></prn>";
    std::string bytes = kalyxtest::frame(text);
    if (reply_ == Reply::BadCrc)
        std::swap(bytes[bytes.size() - 4], bytes[bytes.size() - 1]);
    end.send(bytes, 2000);
}

} // namespace wintest
