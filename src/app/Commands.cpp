#include "app/Commands.h"

#include "core/event/EventFolder.h"
#include "core/event/PreEventCheck.h"
#include "core/text/Gbk.h"
#include "core/winners/ResultsExport.h"

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
    const CheckReport report = checkEventFolder(*folder);
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

bool isTerminalCommand(const std::vector<std::string> &args)
{
    if (args.empty())
        return false;
    const std::string &first = args.front();
    return first == "check" || first == "export" || first == "import" || first == "--help" || first == "-h" ||
           first == "--version";
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
        std::cerr << "tessaly: this command is not available in this build\n";
        return 2;
    case CommandLine::Command::Run:
        break;
    }
    std::cerr << usageText();
    return 2;
}

}  // namespace tessaly
