#include "operations/split_targets.h"

#include "files/paths.h"
#include "ldraw/mpd_model.h"
#include "operations/messages.h"

namespace brikmux {

SplitTargets::Opened SplitTargets::open(const std::string& name, std::uint64_t line, bool named,
                                        std::string_view marker, ResolvedName& target,
                                        std::unique_ptr<OutputFile>& file)
{
    if (!named || nameComponents(name).empty()) {
        m_prompter.reportFailure(messages::splitMarkerWithoutName(marker, m_mpdName, line));
        return Opened::Failed;
    }
    if (leavesFolder(name)) {
        m_prompter.reportFailure(messages::splitNameLeavesFolder(name, m_mpdName, line));
        return Opened::Failed;
    }
    // The first block of a name is the one readers and the merge use: a later one never replaces it.
    if (!m_taken.try_emplace(blockKey(name), FirstBlock{name, line}).second) {
        return Opened::Taken;
    }
    target = m_folder.resolveFresh(m_datPath, name);
    if (target.fileExists) {
        if (!m_prompter.askYesNo(messages::splitOutputExists(name))) {
            return Opened::Declined;
        }
    } else if (!target.folderExists) {
        // Folders named in the block are created, but only inside a DAT folder that exists.
        if (m_fileSystem.kindOf(m_datPath) != EntryKind::Folder) {
            cannotWrite(name, target.path(), line, whyNotAFile(EntryKind::Missing));
            return Opened::Failed;
        }
        if (const Status created = m_fileSystem.createFolders(target.folder); !created) {
            cannotWrite(name, target.path(), line, created.reason());
            return Opened::Failed;
        }
        m_folder.forget();
    } else if (target.occupant != EntryKind::Missing) {
        // A folder, a pipe or a device of that name: nothing can be written there.
        cannotWrite(name, target.path(), line, whyNotAFile(target.occupant));
        return Opened::Failed;
    }
    if (const Status created = m_fileSystem.createOutput(target.folder, file); !created) {
        cannotWrite(name, target.path(), line, created.reason());
        return Opened::Failed;
    }
    return Opened::Yes;
}

const SplitTargets::FirstBlock& SplitTargets::firstWith(const std::string& name) const
{
    return m_taken.at(blockKey(name));
}

bool SplitTargets::cannotWrite(const std::string& name, const std::string& path, std::uint64_t line,
                               const std::string& reason)
{
    m_prompter.reportFailure(messages::splitCannotWrite(name, path, m_mpdName, line, reason));
    return false;
}

} // namespace brikmux
