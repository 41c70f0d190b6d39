// The commands that send one word or number and read back at most a position or a payload.
#include "PrinterImpl.h"

#include <kalyxcomms/Printer.h>

#include <cstring>

namespace Orvane {

namespace {

const char* word(MoveCardAction action) {
    switch (action) {
    case Initialise:
        return "initialise";
    case ToStandby:
        return "to-standby";
    case ToContact:
        return "to-contact";
    case ToContactless:
        return "to-contactless";
    case Flip:
        return "flip";
    case Eject:
        return "eject";
    }
    return nullptr;
}

const char* word(ClearErrorAction action) {
    switch (action) {
    case RetryCurrentPrintJob:
        return "retry-current-print-job";
    case CancelCurrentPrintJob:
        return "cancel-current-print-job";
    }
    return nullptr;
}

const char* word(PowerDownAction action) {
    switch (action) {
    case ShutDown:
        return "shut-down";
    case Reboot:
        return "reboot";
    case FastRestart:
        return "fast-restart";
    }
    return nullptr;
}

const char* word(Store store) {
    switch (store) {
    case Shipped:
        return "shipped";
    case Default:
        return "default";
    }
    return nullptr;
}

CardPosition positionFromWord(const char* text) {
    if (std::strcmp(text, "source") == 0)
        return Source;
    if (std::strcmp(text, "standby") == 0)
        return Standby;
    if (std::strcmp(text, "encoder-module") == 0)
        return EncoderModule;
    return Unrecognised;
}

// A command whose request is one element holding at most one child with a text.
bool simpleCommand(PrinterImpl* impl, const char* command, const char* child, const char* text,
                   std::string& err) {
    return runCommand(impl, err, [&](PrnMessage& message) {
        pugi::xml_node element = message.begin(command);
        if (child)
            element.append_child(child).text().set(text);
    });
}

void beginWithSlot(PrnMessage& message, const char* command, const int* slot) {
    pugi::xml_node element = message.begin(command);
    if (slot)
        element.append_child("slot").text().set(*slot);
}

bool payloadCommand(PrinterImpl* impl, const char* command, const int* slot,
                    const std::vector<unsigned char>& payload, std::string& err) {
    return runCommand(impl, err, [&](PrnMessage& message) {
        beginWithSlot(message, command, slot);
        message.payload = payload;
    });
}

bool fetchCommand(PrinterImpl* impl, const char* command, const int* slot,
                  std::vector<unsigned char>& out, std::string& err) {
    return runCommand(
        impl, err, [&](PrnMessage& message) { beginWithSlot(message, command, slot); },
        [&](PrnMessage& message) {
            out.swap(message.payload);
            return true;
        });
}

} // namespace

bool Printer::moveCard(MoveCardAction action, CardPosition& position, std::string& err) {
    const char* text = word(action);
    if (!text)
        return rejectArgument(impl.get());
    return runCommand(
        impl.get(), err,
        [&](PrnMessage& message) {
            message.begin("card-move").append_child("action").text().set(text);
            message.readTimeoutMs = CardMotionTimeoutMs;
        },
        [&](const PrnMessage& message) {
            const char* answer =
                message.response("card-move-response").child("position").text().get();
            position = positionFromWord(answer);
            return true;
        });
}

bool Printer::clearError(ClearErrorAction action, std::string& err) {
    const char* text = word(action);
    return text ? simpleCommand(impl.get(), "error-clear", "action", text, err)
                : rejectArgument(impl.get());
}

bool Printer::forceError(ErrorType code, std::string& err) {
    return runCommand(impl.get(), err, [&](PrnMessage& message) {
        message.begin("force-error").append_child("code").text().set(static_cast<int>(code));
    });
}

bool Printer::powerDown(PowerDownAction action, std::string& err) {
    const char* text = word(action);
    return text ? simpleCommand(impl.get(), "power-down", "action", text, err)
                : rejectArgument(impl.get());
}

bool Printer::save(std::string& err) {
    return simpleCommand(impl.get(), "save", nullptr, nullptr, err);
}

bool Printer::load(Store store, std::string& err) {
    const char* text = word(store);
    return text ? simpleCommand(impl.get(), "load", "store", text, err)
                : rejectArgument(impl.get());
}

bool Printer::updateGlintmark(int slot, const std::vector<unsigned char>& image, std::string& err) {
    return payloadCommand(impl.get(), "update-glintmark", &slot, image, err);
}

bool Printer::updateCapability(const std::vector<unsigned char>& file, std::string& err) {
    return payloadCommand(impl.get(), "update-capability", nullptr, file, err);
}

bool Printer::updateSoftware(const std::vector<unsigned char>& file, std::string& err) {
    return payloadCommand(impl.get(), "update-software", nullptr, file, err);
}

bool Printer::getReport(std::vector<unsigned char>& report, std::string& err) {
    return fetchCommand(impl.get(), "get-report", nullptr, report, err);
}

bool Printer::getGlintmarkPreview(int slot, std::vector<unsigned char>& image, std::string& err) {
    return fetchCommand(impl.get(), "get-glintmark-preview", &slot, image, err);
}

} // namespace Orvane
