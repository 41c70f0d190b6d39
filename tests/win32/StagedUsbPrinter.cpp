#include "StagedUsbPrinter.h"

#include <winioctl.h>
#include <winternl.h>
// Defines GUID_DEVCLASS_USB and GUID_DEVINTERFACE_USBPRINT here (as "selectany" data, so the
// library's own definition of the second merges with this one).
#include <initguid.h>

#include <devguid.h>
#include <usbprint.h>

#include <memory>
#include <vector>

extern "C" NTSTATUS NTAPI NtCreateSymbolicLinkObject(PHANDLE link, ACCESS_MASK access,
                                                     POBJECT_ATTRIBUTES attributes,
                                                     PUNICODE_STRING target);

namespace wintest {

namespace {

std::wstring widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

UNICODE_STRING unicode(std::wstring& text) {
    UNICODE_STRING u;
    u.Buffer = &text[0];
    u.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    u.MaximumLength = u.Length;
    return u;
}

} // namespace

bool StagedUsbPrinter::fail(const std::string& step) {
    problem_ = step + " failed with error " + std::to_string(::GetLastError());
    return false;
}

std::string StagedUsbPrinter::controlKey() const {
    // "\\?\usb#..." is registered as "##?#usb#...".
    return "System\\CurrentControlSet\\Control\\DeviceClasses\\"
           "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\##?#" +
           interfacePath_.substr(4) + "\\#\\Control";
}

StagedUsbPrinter::StagedUsbPrinter(const std::string& instance, const std::string& pipePath) {
    set_ = ::SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_USB, nullptr);
    if (set_ == INVALID_HANDLE_VALUE) {
        fail("SetupDiCreateDeviceInfoList");
        return;
    }
    device_.cbSize = sizeof device_;
    if (!::SetupDiCreateDeviceInfoA(set_, instance.c_str(), &GUID_DEVCLASS_USB, nullptr, nullptr, 0,
                                    &device_)) {
        if (::GetLastError() != ERROR_DEVINST_ALREADY_EXISTS ||
            !::SetupDiOpenDeviceInfoA(set_, instance.c_str(), nullptr, 0, &device_)) {
            fail("SetupDiCreateDeviceInfoA");
            return;
        }
    }
    if (!::SetupDiRegisterDeviceInfo(set_, &device_, 0, nullptr, nullptr, nullptr)) {
        fail("SetupDiRegisterDeviceInfo");
        return;
    }
    interface_.cbSize = sizeof interface_;
    if (!::SetupDiCreateDeviceInterfaceA(set_, &device_, &GUID_DEVINTERFACE_USBPRINT, nullptr, 0,
                                         &interface_)) {
        fail("SetupDiCreateDeviceInterfaceA");
        return;
    }
    DWORD needed = 0;
    ::SetupDiGetDeviceInterfaceDetailA(set_, &interface_, nullptr, 0, &needed, nullptr);
    std::vector<char> storage(needed + sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A), '\0');
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!::SetupDiGetDeviceInterfaceDetailA(set_, &interface_, detail,
                                            static_cast<DWORD>(storage.size()), nullptr, nullptr)) {
        fail("SetupDiGetDeviceInterfaceDetailA");
        return;
    }
    interfacePath_ = detail->DevicePath;

    // Present: what a driver's IoSetDeviceInterfaceState does. A volatile key, so nothing of it
    // outlives the wineserver.
    HKEY control = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, controlKey().c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &control, nullptr) != ERROR_SUCCESS) {
        fail("RegCreateKeyExA");
        return;
    }
    const DWORD linked = 1;
    ::RegSetValueExA(control, "Linked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&linked),
                     sizeof linked);
    ::RegCloseKey(control);

    if (pipePath.empty())
        return;
    // "\\?\usb#..." opens "\??\usb#..."; the link lives while its handle is open.
    std::wstring name = L"\\??\\" + widen(interfacePath_.substr(4));
    std::wstring target =
        L"\\Device\\NamedPipe\\" + widen(pipePath.substr(pipePath.rfind('\\') + 1));
    UNICODE_STRING nameU = unicode(name);
    UNICODE_STRING targetU = unicode(target);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &nameU, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    const NTSTATUS status =
        NtCreateSymbolicLinkObject(&link_, 0xF0001 /* all access */, &attributes, &targetU);
    if (status != 0) {
        link_ = nullptr;
        problem_ = "NtCreateSymbolicLinkObject failed with status " + std::to_string(status);
    }
}

StagedUsbPrinter::~StagedUsbPrinter() {
    if (link_)
        ::CloseHandle(link_);
    if (!interfacePath_.empty())
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, controlKey().c_str());
    if (set_ != INVALID_HANDLE_VALUE) {
        if (interface_.cbSize)
            ::SetupDiRemoveDeviceInterface(set_, &interface_);
        if (device_.cbSize)
            ::SetupDiRemoveDevice(set_, &device_);
        ::SetupDiDestroyDeviceInfoList(set_);
    }
}

} // namespace wintest
