#include "checkin/CheckInStore.h"

#include "files/FileIo.h"

#include <algorithm>
#include <chrono>
#include <future>

namespace tessaly {
namespace fs = std::filesystem;

Result<std::unique_ptr<CheckInStore>> CheckInStore::open(const fs::path &programDir, Now now)
{
    if (!now)
        now = [] {
            return std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
    const fs::path file = programDir / kCheckInFile;
    auto text = readFile(file);
    if (!text && text.code() != ErrorCode::FileMissing)
        return text.error();
    CheckInReadout readout = readCheckInLines(text ? *text : std::string());
    if (readout.tornTail) {
        // The next line must not be glued to the piece of one that never finished.
        Status cut = truncateFileDurable(file, static_cast<long long>(readout.goodLength));
        if (!cut)
            return cut.error();
    }
    return std::unique_ptr<CheckInStore>(new CheckInStore(file, std::move(readout), std::move(now)));
}

CheckInStore::CheckInStore(fs::path file, CheckInReadout readout, Now now)
    : m_file(std::move(file)), m_readout(std::move(readout)), m_now(std::move(now))
{
    for (const auto &line : m_readout.lines)
        m_state.apply(line);
    m_length = m_readout.goodLength;
    m_writer = std::thread([this] { run(); });
}

CheckInStore::~CheckInStore()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_writer.join();
}

void CheckInStore::submit(CheckInLine line, Done done)
{
    if (line.time == 0)
        line.time = m_now();
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back({std::move(line), std::move(done)});
    }
    m_wake.notify_one();
}

CheckInStore::Answer CheckInStore::submitAndWait(CheckInLine line)
{
    std::promise<Answer> answer;
    auto future = answer.get_future();
    submit(std::move(line), [&answer](Answer a) { answer.set_value(a); });
    return future.get();
}

CheckInStore::Answer CheckInStore::decide(CheckInState &state, const CheckInLine &line)
{
    if (line.action == CheckInLine::Action::Undo)
        return state.apply(line) ? Answer::Undone : Answer::NotIn;
    if (state.checkedIn(line.code))
        return Answer::AlreadyIn;
    if (state.apply(line))
        return Answer::CheckedIn;
    return Answer::DeviceUsed;
}

void CheckInStore::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_pending.empty(); });
        if (m_pending.empty())
            return;  // stopping with nothing owed
        std::deque<Pending> batch;
        batch.swap(m_pending);
        // Decide the whole batch against the state on disk plus the batch's own
        // earlier lines, so two requests for one code in one batch check in once.
        CheckInState next = m_state;
        std::vector<Answer> answers;
        std::string bytes;
        for (const auto &p : batch) {
            const Answer a = m_broken ? Answer::WriteFailed : decide(next, p.line);
            answers.push_back(a);
            if (a == Answer::CheckedIn || a == Answer::Undone)
                bytes += formatCheckInLine(p.line);
        }
        lock.unlock();
        Status written = bytes.empty() ? Status(Ok{}) : appendFileDurable(m_file, bytes);
        lock.lock();
        if (!bytes.empty())
            ++m_appends;
        if (written) {
            m_state = std::move(next);
            m_length += bytes.size();
        } else {
            std::replace_if(
                answers.begin(), answers.end(),
                [](Answer a) { return a == Answer::CheckedIn || a == Answer::Undone; }, Answer::WriteFailed);
            // A part of the batch may have reached the file: cut it back, or stop writing.
            lock.unlock();
            const bool cut = bool(truncateFileDurable(m_file, static_cast<long long>(m_length)));
            lock.lock();
            m_broken = m_broken || !cut;
        }
        for (size_t i = 0; i < batch.size(); ++i) {
            if (answers[i] != Answer::DeviceUsed)
                continue;
            const CheckInLine &line = batch[i].line;
            auto it = std::find_if(m_refused.begin(), m_refused.end(),
                                   [&](const RefusedDevice &r) { return r.device == line.device; });
            if (it == m_refused.end())
                it = m_refused.insert(m_refused.end(), RefusedDevice{line.device, {}, 0, 0});
            it->code = line.code;
            it->time = line.time;
            ++it->attempts;
        }
        lock.unlock();
        for (size_t i = 0; i < batch.size(); ++i)
            if (batch[i].done)
                batch[i].done(answers[i]);
        lock.lock();
    }
}

bool CheckInStore::checkedIn(const std::string &code) const
{
    std::lock_guard lock(m_mutex);
    return m_state.checkedIn(code);
}

size_t CheckInStore::checkedInCount() const
{
    std::lock_guard lock(m_mutex);
    return m_state.byCode.size();
}

std::vector<std::string> CheckInStore::checkedInCodes() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> codes;
    for (const auto &entry : m_state.byCode)
        codes.push_back(entry.first);
    return codes;
}

std::vector<CheckInStore::RefusedDevice> CheckInStore::refusedDevices() const
{
    std::lock_guard lock(m_mutex);
    return m_refused;
}

long CheckInStore::appends() const
{
    std::lock_guard lock(m_mutex);
    return m_appends;
}

}  // namespace tessaly
