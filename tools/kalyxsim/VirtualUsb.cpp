#include "VirtualUsb.h"

#include <umockdev.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kalyxsim {

namespace {

// The three records the kernel shows for a printer bound to usblp: the USB device, its printing
// class interface and the usbmisc class device with its node.
std::string printerRecords(const std::string& serial) {
    const std::string usb = "/devices/pci0000:00/0000:00:14.0/usb1/1-1";
    const std::string intf = usb + "/1-1:1.0";
    return "P: " + usb +
           "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: BUSNUM=001\nE: DEVNUM=002\n"
           "A: idVendor=5e2a\nA: idProduct=0101\nA: manufacturer=Orvane\n"
           "A: product=Kalyx card printer\nA: serial=" +
           serial +
           "\nA: busnum=1\nA: devnum=2\nA: devpath=1\n\n"
           "P: " +
           intf +
           "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
           "A: bInterfaceClass=07\nA: bInterfaceSubClass=01\nA: bInterfaceProtocol=02\n\n"
           "P: " +
           intf +
           "/usbmisc/lp0\nL: device=../../../1-1:1.0\nN: usb/lp0\nE: SUBSYSTEM=usbmisc\n"
           "E: DEVNAME=usb/lp0\nE: MAJOR=180\nE: MINOR=0\nA: dev=180:0\n";
}

} // namespace

VirtualUsb::~VirtualUsb() {
    if (hostEnd_ >= 0)
        ::close(hostEnd_);
    // Removes the testbed's folder.
    if (bed_)
        g_object_unref(bed_);
}

bool VirtualUsb::attach(const std::string& serial, std::string& problem) {
    if (serial.find('\n') != std::string::npos) {
        problem = "--usb: the serial must be one line";
        return false;
    }
    bed_ = umockdev_testbed_new();
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(bed_, printerRecords(serial).c_str(), &error)) {
        problem = std::string("umockdev: ") + error->message;
        g_error_free(error);
        return false;
    }
    // The testbed's dev/usb/lp0 leads to the terminal the program will open.
    gchar* root = umockdev_testbed_get_root_dir(bed_); // the caller's to free
    const std::string node = std::string(root) + devicePath;
    g_free(root);
    hostEnd_ = ::open(node.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios mode{};
    if (hostEnd_ < 0 || ::tcgetattr(hostEnd_, &mode) != 0) {
        problem = node + ": " + std::strerror(errno);
        return false;
    }
    // Raw, so that frames pass unchanged (no echo, no line-end translation).
    ::cfmakeraw(&mode);
    if (::tcsetattr(hostEnd_, TCSANOW, &mode) != 0) {
        problem = node + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int VirtualUsb::takePrinterEnd(std::string& problem) {
    // The testbed keeps its own descriptor for as long as it lives.
    const int fd = ::fcntl(umockdev_testbed_get_dev_fd(bed_, devicePath), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        problem = std::string("umockdev device: ") + std::strerror(errno);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

pid_t VirtualUsb::run(const std::vector<std::string>& command, std::string& problem) const {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("umockdev-wrapper"));
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        problem = std::string("fork: ") + std::strerror(errno);
        return -1;
    }
    if (pid == 0) {
        // The simulator blocks its stop signals and ignores SIGPIPE; the program must not.
        sigset_t all;
        sigfillset(&all);
        sigprocmask(SIG_UNBLOCK, &all, nullptr);
        std::signal(SIGPIPE, SIG_DFL);
        // umockdev_testbed_new() put UMOCKDEV_DIR into this environment.
        ::execvp(argv[0], argv.data());
        const std::string text =
            std::string("kalyxsim: umockdev-wrapper: ") + std::strerror(errno) + "\n";
        (void)!::write(STDERR_FILENO, text.data(), text.size());
        ::_exit(127);
    }
    return pid;
}

} // namespace kalyxsim
