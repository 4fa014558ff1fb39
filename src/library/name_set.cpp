#include "library/name_set.h"

#include <stdexcept>

namespace brikmux {

void NameSet::reserve(std::size_t count)
{
    m_positions.reserve(count);
    std::size_t slots = m_slots.size();
    while (slots < 2 * count) {
        slots *= 2;
    }
    if (slots > m_slots.size()) {
        rehash(slots);
    }
}

void NameSet::rehash(std::size_t slots)
{
    // Every name moves to its place in the larger table.
    std::vector<std::uint64_t> old(slots, kFree);
    old.swap(m_slots);
    for (const std::uint64_t slot : old) {
        if (slot != kFree) {
            const std::string_view stored = nameAt(slot);
            m_slots[slotFor(stored, std::hash<std::string_view>{}(stored))] = slot;
        }
    }
}

std::pair<std::size_t, bool> NameSet::add(std::string_view name)
{
    const std::uint64_t hash = std::hash<std::string_view>{}(name);
    std::size_t index = slotFor(name, hash);
    if (m_slots[index] != kFree) {
        return {numberAt(m_slots[index]), false};
    }
    const std::uint64_t position = m_names.size() + 1;
    if (position + 2 * sizeof(std::uint32_t) + name.size() > kPositionMask || name.size() > UINT32_MAX ||
        m_count >= UINT32_MAX) {
        throw std::length_error("NameSet: names past 1 TB, one past 4 GB, or 4 billion of them");
    }
    if (2 * (m_count + 1) > m_slots.size()) {
        rehash(2 * m_slots.size());
        index = slotFor(name, hash);
    }
    const auto size = static_cast<std::uint32_t>(name.size());
    const auto number = static_cast<std::uint32_t>(m_count);
    m_names.append(reinterpret_cast<const char*>(&size), sizeof size);
    m_names.append(reinterpret_cast<const char*>(&number), sizeof number);
    m_names.append(name);
    m_slots[index] = tagOf(hash) | position;
    m_positions.push_back(m_slots[index]);
    return {m_count++, true};
}

} // namespace brikmux
