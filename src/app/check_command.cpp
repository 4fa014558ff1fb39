// brikmux-cli check: a model walked as merge walks it, or an MPD checked; as text or JSON.
#include "cli_job.h"

#include "files/paths.h"
#include "operations/check_listing.h"
#include "operations/messages.h"
#include "operations/mpd_check.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace brikmux::cli {

namespace {

// Names are bytes: whatever is not UTF-8 is replaced rather than failing the report.
void writeJson(std::ostream& output, const nlohmann::ordered_json& report)
{
    output << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

// Each checked file as an object: {"name", "type", "kind", "path", "in", "section", "referencedBy",
// "replacesLibrary", "reason"}, the optional ones only where they apply.
nlohmann::ordered_json filesJson(const std::vector<CheckedFile>& checked)
{
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const auto& file : checked) {
        nlohmann::ordered_json entry;
        entry["name"] = file.name;
        entry["type"] = file.type == CheckedFile::Type::Image ? "image" : "model";
        entry["kind"] = kindName(file.kind);
        if (!file.path.empty()) {
            entry["path"] = file.path;
        }
        if (!file.in.empty()) {
            entry["in"] = file.in;
        }
        if (!file.renamedFrom.empty()) {
            entry["section"] = file.section;
        }
        entry["referencedBy"] = file.referencedBy;
        if (file.replacesLibrary) {
            entry["replacesLibrary"] = true;
        }
        if (file.kind == CheckedFile::Kind::Unreadable) {
            entry["reason"] = file.reason;
        }
        files.push_back(std::move(entry));
    }
    return files;
}

// Checks the MPD at path: its problems, in text or JSON; 1 when it has an error.
int checkMpd(const Options& options, CliEnvironment& environment, const std::string& path, FileSystem& fileSystem)
{
    const MpdCheckReport report = CheckMpdFile(path, libraryPath(options, environment), fileSystem,
                                               options.datDir ? folderField(*options.datDir) : std::string());
    if (!report.failure.empty()) {
        environment.errors << "brikmux-cli: " << report.failure << "\n";
        return kFailure;
    }
    if (!options.json) {
        environment.output << report.file << "\n" << report.text();
        return report.errors() > 0 ? kFailure : kSuccess;
    }
    nlohmann::ordered_json json;
    json["file"] = report.file;
    json["library"] = report.library.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(report.library);
    json["sections"] = nlohmann::ordered_json::array();
    for (const MpdSectionReport& section : report.sections) {
        json["sections"].push_back({{"name", section.name},
                                    {"line", section.line},
                                    {"kind", section.image ? "image" : "model"},
                                    {"referencedBy", section.referencedBy}});
    }
    json["problems"] = nlohmann::ordered_json::array();
    for (const MpdProblem& problem : report.problems) {
        json["problems"].push_back({{"code", problem.code},
                                    {"severity", problem.error ? "error" : "warning"},
                                    {"section", problem.section},
                                    {"line", problem.line},
                                    {"name", problem.name},
                                    {"message", problem.message}});
    }
    if (report.library.empty()) {
        json["unresolved"] = report.unresolved;
    }
    if (report.outside.walked) {
        nlohmann::ordered_json outside;
        outside["files"] = filesJson(report.outside.files);
        if (const auto& cycle = report.outside.cycle) {
            outside["cycle"] = messages::cycleLine(cycle->chain, cycle->file, cycle->line);
        }
        json["outside"] = std::move(outside);
    }
    writeJson(environment.output, json);
    return report.errors() > 0 ? kFailure : kSuccess;
}

} // namespace

int check(const Options& options, CliEnvironment& environment)
{
    NativeFileSystem fileSystem;
    {
        // A file with sections is checked as the MPD it is; it needs no library.
        const std::string path =
            options.datDir ? joinPath(folderField(*options.datDir), options.operand) : options.operand;
        if (isMpdFile(fileSystem, path)) {
            return checkMpd(options, environment, path, fileSystem);
        }
    }
    std::string mainName;
    const MergeJob job = mergeJob(options, environment, mainName, fileSystem);
    const CheckResult result = CheckMerge(mainName, job, fileSystem);
    if (!result.failure.empty()) {
        environment.errors << "brikmux-cli: " << result.failure << "\n";
        return kFailure;
    }
    if (options.json) {
        nlohmann::ordered_json report;
        report["main"] = result.main;
        report["files"] = filesJson(result.files);
        if (result.cycle) {
            report["cycle"] = messages::cycleLine(result.cycle->chain, result.cycle->file, result.cycle->line);
        }
        writeJson(environment.output, report);
    } else {
        environment.output << checkListing(result.files, result.cycle);
    }
    return result.complete() ? kSuccess : kFailure;
}

} // namespace brikmux::cli
