#include "CrashStates.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tessaly::test {
namespace fs = std::filesystem;

FolderState readFolderState(const fs::path &folder)
{
    FolderState state;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        state[entry.path().lexically_relative(folder).generic_string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return state;
}

void writeFolderState(const fs::path &folder, const FolderState &state)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto &[name, bytes] : state) {
        const fs::path path = folder / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
}

StepRecorder::StepRecorder(fs::path folder) : m_folder(std::move(folder))
{
    setFileObserver(this);
}

StepRecorder::~StepRecorder()
{
    setFileObserver(nullptr);
}

void StepRecorder::made(const FileStep &step)
{
    auto inside = [this](const fs::path &p, std::string &out) {
        const fs::path relative = p.lexically_relative(m_folder);
        if (relative.empty() || *relative.begin() == "..")
            return false;
        out = relative.generic_string();
        return true;
    };
    FileStep mine = step;
    std::string path, target;
    if (!inside(step.path, path) && !(step.path == m_folder && step.kind == FileStep::Kind::FlushFolder))
        return;
    mine.path = step.path == m_folder ? fs::path(".") : fs::path(path);
    if (step.kind == FileStep::Kind::Rename) {
        if (!inside(step.target, target))
            return;
        mine.target = target;
    }
    m_steps.push_back(std::move(mine));
}

CrashModel::CrashModel(const FolderState &start)
{
    for (const auto &[name, bytes] : start) {
        m_inodes.push_back({bytes, bytes});
        m_durableNames[name] = static_cast<int>(m_inodes.size()) - 1;
    }
    m_currentNames = m_durableNames;
}

namespace {

std::string folderOf(const std::string &path)
{
    const std::string parent = fs::path(path).parent_path().generic_string();
    return parent.empty() ? "." : parent;
}

}  // namespace

void CrashModel::applyName(std::map<std::string, int> &names, const NameStep &step)
{
    switch (step.kind) {
    case NameStep::Create:
        names.emplace(step.path, step.inode);
        break;
    case NameStep::Rename: {
        // Undone steps before this one may have left the source missing.
        auto it = names.find(step.path);
        if (it != names.end() && it->second == step.inode) {
            names[step.target] = step.inode;
            names.erase(step.path);
        }
        break;
    }
    case NameStep::Remove: {
        auto it = names.find(step.path);
        if (it != names.end() && it->second == step.inode)
            names.erase(it);
        break;
    }
    }
}

void CrashModel::apply(const FileStep &step)
{
    const std::string path = step.path.generic_string();
    switch (step.kind) {
    case FileStep::Kind::Write: {
        auto it = m_currentNames.find(path);
        if (it == m_currentNames.end()) {
            m_inodes.push_back({});
            const int inode = static_cast<int>(m_inodes.size()) - 1;
            NameStep create{NameStep::Create, folderOf(path), path, {}, inode};
            m_pendingNames.push_back(create);
            applyName(m_currentNames, create);
            it = m_currentNames.find(path);
        }
        std::string &bytes = m_inodes[static_cast<size_t>(it->second)].current;
        const size_t at = static_cast<size_t>(step.offset);
        if (bytes.size() < at + step.bytes.size())
            bytes.resize(at + step.bytes.size());
        std::copy(step.bytes.begin(), step.bytes.end(), bytes.begin() + static_cast<long>(at));
        break;
    }
    case FileStep::Kind::Truncate:
        if (auto it = m_currentNames.find(path); it != m_currentNames.end())
            m_inodes[static_cast<size_t>(it->second)].current.resize(static_cast<size_t>(step.offset));
        break;
    case FileStep::Kind::FlushFile:
        if (auto it = m_currentNames.find(path); it != m_currentNames.end()) {
            Inode &inode = m_inodes[static_cast<size_t>(it->second)];
            inode.durable = inode.current;
        }
        break;
    case FileStep::Kind::Rename:
    case FileStep::Kind::Remove: {
        auto it = m_currentNames.find(path);
        if (it == m_currentNames.end())
            break;
        NameStep name{step.kind == FileStep::Kind::Rename ? NameStep::Rename : NameStep::Remove, folderOf(path),
                      path, step.target.generic_string(), it->second};
        m_pendingNames.push_back(name);
        applyName(m_currentNames, name);
        break;
    }
    case FileStep::Kind::FlushFolder: {
        std::vector<NameStep> still;
        for (const NameStep &name : m_pendingNames) {
            if (name.dir == path)
                applyName(m_durableNames, name);
            else
                still.push_back(name);
        }
        m_pendingNames = std::move(still);
        break;
    }
    case FileStep::Kind::MakeFolder:
        break;  // folders are made durable at once by the file layer
    }
}

std::vector<std::string> CrashModel::dataOptions(const Inode &inode, int) const
{
    // Dropped, kept, and cut at every 512-byte boundary between them.
    std::vector<std::string> options{inode.durable, inode.current};
    const size_t longest = std::max(inode.durable.size(), inode.current.size());
    for (size_t b = 512; b < longest; b += 512) {
        std::string cut;
        const size_t size = inode.current.size() >= inode.durable.size()
                                ? std::max(inode.durable.size(), std::min(b, inode.current.size()))
                                : inode.current.size();
        cut.resize(size);
        for (size_t i = 0; i < size; ++i)
            cut[i] = i < b && i < inode.current.size() ? inode.current[i] : inode.durable[i];
        if (cut != inode.durable && cut != inode.current)
            options.push_back(std::move(cut));
    }
    return options;
}

FolderState CrashModel::materialise(const std::map<std::string, int> &names, const std::vector<int> &dataChoice,
                                    const std::vector<int> &dirty) const
{
    FolderState state;
    for (const auto &[name, inode] : names) {
        const Inode &node = m_inodes[static_cast<size_t>(inode)];
        auto d = std::find(dirty.begin(), dirty.end(), inode);
        if (d == dirty.end()) {
            state[name] = node.durable;
            continue;
        }
        state[name] = dataOptions(node, 0)[static_cast<size_t>(dataChoice[static_cast<size_t>(d - dirty.begin())])];
    }
    return state;
}

std::vector<FolderState> CrashModel::crashStates(size_t cap, std::mt19937_64 &random) const
{
    std::vector<int> dirty;
    std::vector<size_t> optionCount;
    for (size_t i = 0; i < m_inodes.size(); ++i) {
        if (m_inodes[i].durable != m_inodes[i].current) {
            dirty.push_back(static_cast<int>(i));
            optionCount.push_back(dataOptions(m_inodes[i], 0).size());
        }
    }
    const size_t pending = m_pendingNames.size();
    // The choices: one data option per dirty file, kept or undone per name step.
    double total = 1;
    for (size_t n : optionCount)
        total *= static_cast<double>(n);
    total *= static_cast<double>(1ull << std::min<size_t>(pending, 40));

    std::vector<FolderState> states;
    std::set<FolderState> seen;
    auto build = [&](const std::vector<int> &data, uint64_t namesKept) {
        std::map<std::string, int> names = m_durableNames;
        for (size_t i = 0; i < pending; ++i)
            if (namesKept >> i & 1)
                applyName(names, m_pendingNames[i]);
        FolderState state = materialise(names, data, dirty);
        if (seen.insert(state).second)
            states.push_back(std::move(state));
    };
    const uint64_t allNames = pending >= 64 ? ~0ull : (1ull << pending) - 1;
    build(std::vector<int>(dirty.size(), 0), 0);
    build(std::vector<int>(dirty.size(), 1), allNames);
    if (total <= static_cast<double>(cap)) {
        std::vector<int> data(dirty.size(), 0);
        for (;;) {
            for (uint64_t kept = 0; kept <= allNames; ++kept)
                build(data, kept);
            size_t i = 0;
            for (; i < data.size(); ++i) {
                if (static_cast<size_t>(++data[i]) < optionCount[i])
                    break;
                data[i] = 0;
            }
            if (i == data.size())
                break;
        }
        return states;
    }
    for (size_t tries = 0; states.size() < cap && tries < cap * 4; ++tries) {
        std::vector<int> data(dirty.size());
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<int>(random() % optionCount[i]);
        build(data, random() & allNames);
    }
    return states;
}

}  // namespace tessaly::test
