#include "operations/walk_table.h"

#include <algorithm>
#include <span>

namespace brikmux {

std::size_t WalkTable::add(WalkEntry entry, bool queued)
{
    m_entries.push_back(std::move(entry));
    m_places.push_back(Place::Undecided);
    const std::size_t index = m_entries.size() - 1;
    if (queued) {
        m_queue.push_back(index);
    }
    return index;
}

void WalkTable::dropLast()
{
    if (!m_queue.empty() && m_queue.back() == m_entries.size() - 1) {
        m_queue.pop_back();
    }
    m_entries.pop_back();
    m_places.pop_back();
}

const std::string& WalkTable::referrerName(std::size_t index) const
{
    const WalkEntry& entry = m_entries[index];
    return entry.renamedFrom.empty() ? entry.name : entry.section;
}

void WalkTable::noteReferrer(std::size_t entry, std::size_t referrer)
{
    auto& referencedBy = m_entries[entry].referencedBy;
    const std::string& name = referrerName(referrer);
    if (std::find(referencedBy.begin(), referencedBy.end(), name) == referencedBy.end()) {
        referencedBy.push_back(name);
    }
}

void WalkTable::unreadable(std::string path, std::string reason, std::string referrer)
{
    m_unreadable.push_back({std::move(path), std::move(reason), std::move(referrer)});
}

std::vector<messages::MissingFile> WalkTable::notFound() const
{
    std::vector<messages::MissingFile> missing;
    // The main file, the first entry, is reported apart.
    const std::span<const WalkEntry> entries(m_entries.data(), m_entries.size());
    for (const WalkEntry& entry : entries.subspan(entries.empty() ? 0 : 1)) {
        if (entry.kind == WalkEntry::Kind::NotFound) {
            missing.push_back({entry.name, referrerName(entry.referrer)});
        }
    }
    return missing;
}

std::string_view kindName(WalkEntry::Kind kind)
{
    // In the order of WalkEntry::Kind.
    constexpr std::string_view kNames[] = {"main", "custom", "unofficial", "library", "not found", "unreadable"};
    return kNames[static_cast<std::size_t>(kind)];
}

} // namespace brikmux
