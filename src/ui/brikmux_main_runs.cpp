// The main window's runs: the merge, the split, the packing and the check of the names its lists
// give, each guarded so that no failure escapes the button that started it.
#include "brikmux_main.h"

#include "files/paths.h"
#include "ldraw/model_text.h"
#include "operations/merge.h"
#include "operations/messages.h"
#include "operations/mpd_check.h"
#include "operations/split.h"

namespace brikmux {

void BrikmuxMain::MergeToMPD(const std::string& mainName)
{
    // The ".mpd" suffix shows before the overwrite question, and stays whatever the answer.
    const std::string mpdName = mpdText();
    if (const std::string suffixed = withMpdSuffix(mpdName); suffixed != mpdName) {
        setMpdText(suffixed);
    }
    const MergeJob job{m_datPath, m_mpdPath, m_ldrawPath, mpdText(), authorName(), ReferenceKinds::Any, packMPD()};
    m_datFiles = brikmux::MergeToMPD(mainName, job, m_fileSystem, m_prompter).datFiles;
}

void BrikmuxMain::SplitMPD(const std::string& name)
{
    brikmux::SplitMPD(name, SplitJob{m_mpdPath, m_datPath}, m_fileSystem, m_prompter);
}

void BrikmuxMain::PackMPD(const std::string& name)
{
    const MergeJob job{m_mpdPath,    m_mpdPath,           m_ldrawPath, mergedMpdName(name, true),
                       authorName(), ReferenceKinds::Any, true};
    brikmux::MergeToMPD(name, job, m_fileSystem, m_prompter);
    RefreshMPDList();
}

void BrikmuxMain::CheckMPD(const std::string& name)
{
    const MpdCheckReport report = CheckMpdFile(joinPath(m_mpdPath, name), m_ldrawPath, m_fileSystem);
    if (report.failure.empty()) {
        m_prompter.inform(messages::mpdChecked(report));
    } else {
        m_prompter.reportFailure(messages::mpdChecked(report));
    }
}

void BrikmuxMain::guarded(const std::string& title, const std::string& subject, const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        m_prompter.reportFailure(messages::unexpectedFailure(title, subject, error.what()));
    } catch (...) {
        m_prompter.reportFailure(messages::unexpectedFailure(title, subject, "unknown failure"));
    }
}

void BrikmuxMain::MergeMPDBtn_Click()
{
    const std::string name = datText();
    guarded("Merge Failed", joinPath(m_datPath, name), [&] { MergeToMPD(name); });
}

void BrikmuxMain::SplitMPDBtn_Click()
{
    const std::string name = mpdText();
    guarded("Split Failed", joinPath(m_mpdPath, name), [&] { SplitMPD(name); });
}

void BrikmuxMain::MenuPackMPD_Click()
{
    const std::string name = mpdText();
    guarded("Merge Failed", joinPath(m_mpdPath, name), [&] { PackMPD(name); });
}

void BrikmuxMain::MenuCheckMPD_Click()
{
    const std::string name = mpdText();
    guarded(".MPD File Check", joinPath(m_mpdPath, name), [&] { CheckMPD(name); });
}

} // namespace brikmux
