#include "app/Commands.h"

#include "core/event/Backup.h"
#include "core/checkin/CheckInExport.h"
#include "core/checkin/HallCheck.h"
#include "core/event/EventFolder.h"
#include "core/event/PreEventCheck.h"
#include "core/draw/Clock.h"
#include "core/draw/DrawRecord.h"
#include "core/draw/DrawSession.h"
#include "core/draw/Random.h"
#include "core/files/FileIo.h"
#include "core/files/Paths.h"
#include "core/participants/ListImport.h"
#include "core/participants/ListTools.h"
#include "core/proof/ProofVerify.h"
#include "core/settings/ProgramFiles.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"
#include "core/winners/ResultsExport.h"
#include "ui/hall/CheckInCards.h"
#include "ui/sound/SoundPlayer.h"
#include "ui/sound/SoundProbe.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace tessaly {
namespace fs = std::filesystem;

namespace {

// The folder a terminal command works on: the one named, or the one the stage
// would open. It is never created or filled here.
Result<fs::path> commandFolder(const CommandLine &line, const fs::path &executableDir)
{
    FolderInputs inputs = folderInputsFromEnvironment(executableDir);
    inputs.folderArgument = line.folder;
    auto choice = chooseEventFolder(inputs);
    if (!choice)
        return choice.error();
    return choice->folder;
}

int runCheck(const CommandLine &line, const fs::path &executableDir)
{
    auto folder = commandFolder(line, executableDir);
    if (!folder) {
        std::cerr << gbkToUtf8(folder.error().message) << "\n";
        return 1;
    }
    // The sounds are decoded to their end, which needs Qt's application object.
    int argc = 1;
    char name[] = "tessaly";
    char *argv[] = {name, nullptr};
    selectMediaBackend();
    QCoreApplication app(argc, argv);
    QtSoundProbe sounds;
    const CheckReport report = checkEventFolder(*folder, &sounds);
    std::string text = gbkToUtf8(formatCheckReport(report, *folder));
    std::erase(text, '\r');  // the report is written with CR LF like every file; a terminal wants LF
    std::cout << text;
    return report.blocking() ? 1 : 0;
}

int runExport(const CommandLine &line, const fs::path &executableDir)
{
    auto folder = commandFolder(line, executableDir);
    if (!folder) {
        std::cerr << gbkToUtf8(folder.error().message) << "\n";
        return 1;
    }
    const auto format = exportFormatFromName(line.format);
    Status written = exportResults(*folder, format.value_or(ExportFormat::Text), line.output);
    if (!written) {
        std::cerr << gbkToUtf8(written.error().message) << "\n";
        return 1;
    }
    std::cout << "已导出抽奖结果：" << fs::absolute(line.output).string() << "\n";
    return 0;
}

// Parses "A-B" into two numbers from 1; false when it is not that.
bool parseSpan(const std::string &text, int &first, int &last)
{
    const auto dash = text.find('-');
    if (dash == std::string::npos)
        return false;
    try {
        size_t used = 0;
        first = std::stoi(text.substr(0, dash), &used);
        if (used != dash)
            return false;
        const std::string rest = text.substr(dash + 1);
        last = std::stoi(rest, &used);
        return used == rest.size() && first >= 1 && last >= first;
    } catch (...) {
        return false;
    }
}

int runImport(const CommandLine &line, const fs::path &executableDir)
{
    auto folder = commandFolder(line, executableDir);
    if (!folder) {
        std::cerr << gbkToUtf8(folder.error().message) << "\n";
        return 1;
    }
    // The stage holds the folder while it runs: a list replaced under it would
    // be drawn from its old copy and its records saved against the new one.
    auto lock = EventLock::acquire(*folder);
    if (!lock) {
        std::cerr << gbkToUtf8(lock.error().message) << "\n";
        return 1;
    }
    ImportOptions options;
    ImportControl control;
    control.xlsReader = executableDir / kXlsReaderProgram;
    // A spreadsheet by its name, as the editor's two import commands are chosen;
    // the readers then go by the content whatever the extension says.
    const std::string ext = asciiLower(line.input.extension().string());
    const bool sheet = ext == ".csv" || ext == ".xls" || ext == ".xlsx";
    if (sheet) {
        options.kind = ImportOptions::Kind::Spreadsheet;
        auto read = readSpreadsheet(line.input, control);
        if (!read) {
            std::cerr << gbkToUtf8(read.error().message) << "\n";
            return 1;
        }
        size_t widest = 0;
        for (const auto &row : read->sheet.rows)
            widest = std::max(widest, row.size());
        CellBlock &block = options.block;
        block.startRow = 2;
        block.endRow = std::max<int>(2, static_cast<int>(read->sheet.rows.size()));
        block.startColumn = 1;
        block.endColumn = std::clamp<int>(static_cast<int>(widest), 1, kMaxImportColumns);
        if (!line.rows.empty() && !parseSpan(line.rows, block.startRow, block.endRow)) {
            std::cerr << "tessaly: --rows takes A-B, such as 2-500\n";
            return 2;
        }
        if (!line.cols.empty() && !parseSpan(line.cols, block.startColumn, block.endColumn)) {
            std::cerr << "tessaly: --cols takes C-D, such as 1-3\n";
            return 2;
        }
        if (line.separator)
            block.separator = utf8ToGbk(*line.separator);
        if (const std::string refusal = checkSeparator(block.separator); !refusal.empty()) {
            std::cerr << gbkToUtf8(refusal) << "\n";
            return 2;
        }
        // The dialog's own checks, so the command refuses what the dialog refuses.
        CellBlock checked;
        const BlockCheck check = checkCellBlock(std::to_string(block.startRow), std::to_string(block.startColumn),
                                                std::to_string(block.endRow), std::to_string(block.endColumn), true,
                                                &checked);
        if (!check.message.empty()) {
            std::cerr << gbkToUtf8(check.message) << "\n";
            return 2;
        }
    }
    auto imported = importListFile(line.input, options, control);
    if (!imported) {
        std::cerr << gbkToUtf8(imported.error().message) << "\n";
        return 1;
    }
    // A character GBK cannot store would be saved as '?', and two names could become one.
    if (!imported->unencodable.empty()) {
        std::cerr << gbkToUtf8(imported->note) << "\ndata.txt 没有改动。\n";
        return 1;
    }
    if (!imported->note.empty())
        std::cout << gbkToUtf8(imported->note) << "\n";
    // A list changed under recorded winners would give their places to others.
    auto record = readFile(programFile(*folder, files::kRecord));
    bool drawn = false;
    if (record) {
        const RecordReadout readout = readRecordLines(*record);
        drawn = std::any_of(readout.names.begin(), readout.names.end(), [](const auto &award) { return !award.empty(); });
    } else if (record.code() != ErrorCode::FileMissing) {
        std::cerr << gbkToUtf8(record.error().message) << "\n";
        return 1;
    }
    if (drawn && !line.reset) {
        std::cerr << "抽奖已经开始，已有中奖记录：替换名单会让所有奖项和人员回到奖池。确定要这样做请加上 --reset。\n";
        return 1;
    }
    // Lines the list cannot hold are refused before anything is written.
    if (std::vector<size_t> unfit = unfitListLines(imported->lines); !unfit.empty()) {
        std::cerr << gbkToUtf8(unfitLinesMessage(imported->lines, unfit)) << "\ndata.txt 没有改动。\n";
        return 1;
    }
    MtRandom random;
    SystemClock clock;
    auto backup = makeBackup(*folder, clock.now());
    if (!backup) {
        std::cerr << gbkToUtf8(backup.error().message) << "\ndata.txt 没有改动。\n";
        return 1;
    }
    Status saved = saveParticipantList(*folder, imported->lines);
    if (!saved) {
        std::cerr << gbkToUtf8(saved.error().message) << "\n";
        return 1;
    }
    // As the editor's save: every award and entry returns to the pool.
    DrawSession session(*folder, random, clock);
    session.FormCreate(false);
    const DrawOutcome reset = session.ResetDraw(false);
    for (const auto &notice : reset.notices)
        std::cerr << gbkToUtf8(notice.text) << "\n";
    std::cout << "已导入 " << imported->lines.size() << " 行到 " << (*folder / files::kParticipants).string()
              << "，所有奖项和人员都已回到奖池。原来的名单和中奖记录已备份到 " << backup->folder.string() << "\n";
    return 0;
}

int runRestoreBackup(const CommandLine &line, const fs::path &executableDir)
{
    auto folder = commandFolder(line, executableDir);
    if (!folder) {
        std::cerr << gbkToUtf8(folder.error().message) << "\n";
        return 1;
    }
    // The stage holds the folder while it runs: a restore under it would be overwritten or misread.
    auto lock = EventLock::acquire(*folder);
    if (!lock) {
        std::cerr << gbkToUtf8(lock.error().message) << "\n抽奖软件正在使用这个文件夹，请先关闭它再恢复备份。\n";
        return 1;
    }
    SystemClock clock;
    auto before = restoreBackup(*folder, line.backupName, clock.now());
    if (!before) {
        std::cerr << gbkToUtf8(before.error().message) << "\n";
        const auto names = listBackups(*folder);
        if (!names.empty()) {
            std::cerr << "可以恢复的备份：\n";
            for (const auto &name : names)
                std::cerr << "  " << name << "\n";
        }
        return 1;
    }
    std::cout << "已恢复备份 " << line.backupName << "。恢复前的名单和中奖记录已备份到 " << before->folder.string()
              << "\n";
    return 0;
}

// The check-in cards need fonts and a painter: a display-less application gives both.
int runCards(const CommandLine &line, const fs::path &executableDir)
{
    auto folder = commandFolder(line, executableDir);
    auto rows = folder ? codeRowsOf(*folder) : Result<std::vector<CodeRow>>(folder.error());
    if (!rows) {
        std::cerr << gbkToUtf8(rows.error().message) << "\n";
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "tessaly";
    char *argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    Status written = writeCheckInCards(*rows, line.output);
    if (!written) {
        std::cerr << gbkToUtf8(written.error().message) << "\n";
        return 1;
    }
    std::cout << "已生成 " << rows->size() << " 张签到卡：" << fs::absolute(line.output).string() << "\n";
    return 0;
}

int runLinks(const CommandLine &line, const fs::path &executableDir)
{
    if (!line.base.empty()) {
        const std::string hostPort = line.base.starts_with("http://") ? line.base.substr(7) : std::string();
        const std::string host = hostPort.substr(0, hostPort.find_first_of(":/"));
        if (host.empty()) {
            std::cerr << "tessaly: --base takes http://ADDRESS:PORT\n";
            return 2;
        }
        const auto mine = machineAddresses();
        if (std::find(mine.begin(), mine.end(), host) == mine.end())
            std::cerr << "注意：" << host << " 不是本机现在的地址；现场要让这台电脑用这个地址，链接才能打开。\n";
    }
    auto folder = commandFolder(line, executableDir);
    std::string token;
    auto rows = folder ? codeRowsOf(*folder, &token) : Result<std::vector<CodeRow>>(folder.error());
    if (!rows) {
        std::cerr << gbkToUtf8(rows.error().message) << "\n";
        return 1;
    }
    Status written = exportCodeRows(*rows, token, line.base, line.output);
    if (!written) {
        std::cerr << gbkToUtf8(written.error().message) << "\n";
        return 1;
    }
    std::cout << "已导出 " << rows->size() << " 个签到码：" << fs::absolute(line.output).string() << "\n";
    return 0;
}

}  // namespace

FolderInputs folderInputsFromEnvironment(const fs::path &executableDir)
{
    FolderInputs inputs;
    inputs.executableDir = executableDir;
    inputs.templateDir = findTemplateDir(executableDir);
    if (const char *xdg = std::getenv("XDG_DATA_HOME"))
        inputs.xdgDataHome = xdg;
    if (const char *home = std::getenv("HOME"))
        inputs.home = home;
    return inputs;
}

namespace {

std::string forTerminal(const std::string &gbk)
{
    std::string text = gbkToUtf8(gbk);
    std::erase(text, '\r');
    return text;
}

int runReveal(const CommandLine &line, const fs::path &executableDir)
{
    auto folder = commandFolder(line, executableDir);
    if (!folder) {
        std::cerr << forTerminal(folder.error().message) << "\n";
        return 2;
    }
    // The stage must not write its chain while the seeds are revealed beside it.
    auto lock = EventLock::acquire(*folder);
    if (!lock) {
        std::cerr << forTerminal(lock.error().message) << "\n";
        return 1;
    }
    auto revealed = revealSeeds(*folder);
    if (!revealed) {
        std::cerr << forTerminal(revealed.error().message) << "\n";
        return 1;
    }
    std::cout << "已揭示" << *revealed << "个种子，本次抽奖结束。验证：tessaly verify " << folder->string() << "\n";
    return 0;
}

int runVerify(const CommandLine &line, const fs::path &executableDir)
{
    Result<ProofFiles> files = ProofFiles{};
    std::error_code ec;
    if (!line.input.empty() && fs::is_regular_file(line.input, ec)) {
        auto bytes = readFile(line.input);
        if (!bytes) {
            std::cerr << forTerminal(bytes.error().message) << "\n";
            return 2;
        }
        files = readProofBundle(*bytes);
    } else {
        CommandLine named = line;
        if (!line.input.empty())
            named.folder = line.input;
        auto folder = commandFolder(named, executableDir);
        if (!folder || !fs::is_directory(*folder, ec)) {
            std::cerr << (folder ? "tessaly: no such folder or proof bundle: " + folder->string()
                                 : forTerminal(folder.error().message))
                      << "\n";
            return 2;
        }
        files = readProofFolder(*folder);
    }
    if (!files) {
        std::cerr << forTerminal(files.error().message) << "\n";
        return 2;
    }
    const VerifyResult result = verifyProof(*files);
    std::cout << forTerminal(result.report);
    return static_cast<int>(result.outcome);
}

int runExportProof(const CommandLine &line, const fs::path &executableDir)
{
    auto folder = commandFolder(line, executableDir);
    if (!folder) {
        std::cerr << forTerminal(folder.error().message) << "\n";
        return 2;
    }
    if (Status written = writeProofBundle(*folder, line.output); !written) {
        std::cerr << forTerminal(written.error().message) << "\n";
        return 1;
    }
    std::cout << "已导出证明包：" << fs::absolute(line.output).string()
              << "\n注意：证明包中含有完整的参选名单（data.txt）。\n";
    return 0;
}

}  // namespace

bool isTerminalCommand(const std::vector<std::string> &args)
{
    if (args.empty())
        return false;
    // A first word that is no option names a command (a wrong one is refused
    // without opening a window).
    const std::string &first = args.front();
    return (!first.empty() && first[0] != '-') || first == "--help" || first == "-h" || first == "--version";
}

int runTerminalCommand(const std::vector<std::string> &args, const fs::path &executableDir)
{
    auto line = parseCommandLine(args);
    if (!line) {
        std::cerr << "tessaly: " << line.error().message << "\n\n" << usageText();
        return 2;
    }
    switch (line->command) {
    case CommandLine::Command::Help:
        std::cout << usageText();
        return 0;
    case CommandLine::Command::Version:
        std::cout << "tessaly " TESSALY_VERSION "\n";
        return 0;
    case CommandLine::Command::Check:
        return runCheck(*line, executableDir);
    case CommandLine::Command::Export:
        return runExport(*line, executableDir);
    case CommandLine::Command::Import:
        return runImport(*line, executableDir);
    case CommandLine::Command::Reveal:
        return runReveal(*line, executableDir);
    case CommandLine::Command::Verify:
        return runVerify(*line, executableDir);
    case CommandLine::Command::ExportProof:
        return runExportProof(*line, executableDir);
    case CommandLine::Command::RestoreBackup:
        return runRestoreBackup(*line, executableDir);
    case CommandLine::Command::Cards:
        return runCards(*line, executableDir);
    case CommandLine::Command::Links:
        return runLinks(*line, executableDir);
    case CommandLine::Command::Run:
        break;
    }
    std::cerr << usageText();
    return 2;
}

}  // namespace tessaly
