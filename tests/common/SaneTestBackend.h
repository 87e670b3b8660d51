#pragma once
// SANE's own "test" backend through a private configuration folder, so tests scan without
// hardware and without touching the system's SANE configuration.
//
// SANE reads SANE_CONFIG_DIR once per process for its own dll.conf, so the folder is made once and
// stays the same for the whole test program; configure() rewrites the backend's test.conf, which
// the backend reads each time SANE is initialised (every qly::sane::Session starts it afresh once
// the previous ones have ended).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <dlfcn.h>
#include <unistd.h>

namespace qlytest {

class SaneTestBackend {
  public:
    static SaneTestBackend& instance() {
        static SaneTestBackend backend;
        return backend;
    }

    // One device "test:0": colour, 8 bits, 75 dpi, a scan area of 50 x 40 mm (147 x 118 pixels),
    // the flatbed; `extra` lines follow and override (e.g. "read-status-code \"...\"").
    void configure(const std::string& extra = "") {
        std::ofstream(dir_ / "dll.conf", std::ios::trunc) << "test\n";
        std::ofstream conf(dir_ / "test.conf", std::ios::trunc);
        conf << "number_of_devices 1\n"
                "mode Color\n"
                "depth 8\n"
                "resolution 75.0\n"
                "test-picture \"Color pattern\"\n"
                "enable-test-options false\n"
                "geometry_max 300.0\n"
                "br_x 50.0\n"
                "br_y 40.0\n"
             << extra;
    }

    // No device at all: no backend is loaded (the test backend itself cannot offer none).
    void configureNoDevice() { std::ofstream(dir_ / "dll.conf", std::ios::trunc) << "\n"; }

  private:
    SaneTestBackend() {
        dir_ = std::filesystem::temp_directory_path() / ("qly-sane-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        configure();
#ifdef QLY_SANE_BACKEND_DIR
        // SANE unloads its backends when it ends, and LeakSanitizer cannot name a library that is
        // gone; kept loaded, what the test backend itself leaks can be suppressed by its name.
        ::dlopen(QLY_SANE_BACKEND_DIR "/libsane-test.so.1", RTLD_NOW | RTLD_NODELETE);
#endif
        // No trailing ':' so that only this folder is read.
        ::setenv("SANE_CONFIG_DIR", dir_.c_str(), 1);
    }
    ~SaneTestBackend() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::filesystem::path dir_;
};

} // namespace qlytest
