// The check-ins of a running event, safe to use from the server's thread and
// the window's: a request is decided and answered only after its line is on
// disk. Requests that arrive while an append is under way are gathered and go
// to disk together in the next one (group commit), so a thousand phones cost
// a few appends a second, not a thousand flushes.
#pragma once

#include "Result.h"
#include "checkin/CheckInLog.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tessaly {

class CheckInStore {
public:
    enum class Answer {
        CheckedIn,    // this request checked the person in
        AlreadyIn,    // the person was checked in before: nothing changed
        DeviceUsed,   // this phone already checked in someone else: refused
        Undone,       // an undo took the check-in back
        NotIn,        // an undo of someone not checked in
        WriteFailed,  // the line did not reach the disk: nothing changed
    };
    using Done = std::function<void(Answer)>;
    using Now = std::function<std::int64_t()>;

    struct RefusedDevice {
        std::string device;
        std::string code;        // the code it tried last
        std::int64_t time = 0;
        int attempts = 0;
    };

    // Reads checkin.dat (a torn last line is cut off the file before anything
    // is appended) and starts the writer.
    static Result<std::unique_ptr<CheckInStore>> open(const std::filesystem::path &programDir, Now now = {});
    ~CheckInStore();  // answers everything submitted, then stops the writer

    // `done` runs on the writer's thread once the line is durable (or failed).
    void submit(CheckInLine line, Done done);
    Answer submitAndWait(CheckInLine line);

    bool checkedIn(const std::string &code) const;
    size_t checkedInCount() const;
    std::vector<std::string> checkedInCodes() const;
    std::vector<RefusedDevice> refusedDevices() const;
    std::int64_t now() const { return m_now(); }
    // How many appends have been made since the start (the group commit's measure).
    long appends() const;
    const CheckInReadout &readout() const { return m_readout; }

private:
    struct Pending {
        CheckInLine line;
        Done done;
    };
    CheckInStore(std::filesystem::path file, CheckInReadout readout, Now now);
    void run();
    Answer decide(CheckInState &state, const CheckInLine &line);

    std::filesystem::path m_file;
    CheckInReadout m_readout;
    Now m_now;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Pending> m_pending;
    CheckInState m_state;  // what is on disk
    std::vector<RefusedDevice> m_refused;
    long m_appends = 0;
    bool m_stopping = false;
    bool m_broken = false;  // a failed append could not be cut back: refuse further writes
    size_t m_length = 0;    // bytes of whole lines in the file
    std::thread m_writer;
};

}  // namespace tessaly
