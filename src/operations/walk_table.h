#pragma once

#include "operations/messages.h"
#include "operations/walk_entry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace brikmux {

// The entries a walk has met, in the order met (the main file first), with the queue of those
// whose files are read and the files that could not be read.
class WalkTable {
public:
    // How an entry's place was decided: not yet, or where it lies.
    enum class Place : char { Undecided, InDatFolder, InLibrary };

    // Adds entry; queued: its file is to be read. Returns its index.
    std::size_t add(WalkEntry entry, bool queued);
    // Takes back the entry added last (a block found to be one met before).
    void dropLast();

    std::size_t size() const { return m_entries.size(); }
    WalkEntry& operator[](std::size_t index) { return m_entries[index]; }
    const WalkEntry& operator[](std::size_t index) const { return m_entries[index]; }
    std::vector<WalkEntry>& entries() { return m_entries; }
    const std::vector<WalkEntry>& entries() const { return m_entries; }
    Place& place(std::size_t index) { return m_places[index]; }
    // The entries whose files are read, in order; it grows while it is walked.
    const std::vector<std::size_t>& queue() const { return m_queue; }

    // The entry at index as a person finds it in the output: its new name where it was renamed.
    const std::string& referrerName(std::size_t index) const;
    // Notes that the entry at referrer references the entry at entry (once each).
    void noteReferrer(std::size_t entry, std::size_t referrer);
    // Notes a file that could not be read.
    void unreadable(std::string path, std::string reason, std::string referrer);
    const std::vector<messages::UnreadableFile>& unreadable() const { return m_unreadable; }
    // Entries found nowhere, in order, each with the entry that referenced it first.
    std::vector<messages::MissingFile> notFound() const;

private:
    std::vector<WalkEntry> m_entries;
    std::vector<Place> m_places;
    std::vector<std::size_t> m_queue;
    std::vector<messages::UnreadableFile> m_unreadable;
};

} // namespace brikmux
