#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brikmux {

// A set of names asked about once per model line. Open addressing over one array of 8-byte slots,
// the names themselves one after another in one string: a merge's 30,000 part names take about
// 1 MB in all and stay in the processor's cache, where a node-based set scatters them.
class NameSet {
public:
    bool contains(std::string_view name) const
    {
        const std::uint64_t hash = std::hash<std::string_view>{}(name);
        return m_slots[slotFor(name, hash)] != kFree;
    }

    static constexpr std::size_t npos = std::size_t(-1);

    // The number of name; npos when the set lacks it.
    std::size_t find(std::string_view name) const
    {
        const std::uint64_t slot = m_slots[slotFor(name, std::hash<std::string_view>{}(name))];
        return slot == kFree ? npos : numberAt(slot);
    }

    // Makes room for count names in all, so that adding them moves none.
    void reserve(std::size_t count);

    // Adds name; false when it was there already.
    bool insert(std::string_view name) { return add(name).second; }

    // Adds name where it is new. Returns its number (names are numbered from 0 in the order they
    // were added) and whether it was added.
    std::pair<std::size_t, bool> add(std::string_view name);

    // The name numbered number.
    std::string_view operator[](std::size_t number) const { return nameAt(m_positions[number]); }

    std::size_t size() const { return m_count; }

private:
    // A slot holds the top bits of the name's hash above the name's position in m_names, plus one
    // (so that no used slot is zero). A name is stored as its length and its number, 32 bits each
    // (the footprint that keeps a merge's names in the cache), then its bytes.
    static constexpr std::uint64_t kFree = 0;
    static constexpr int kPositionBits = 40;
    static constexpr std::uint64_t kPositionMask = (std::uint64_t{1} << kPositionBits) - 1;

    static std::uint64_t tagOf(std::uint64_t hash) { return hash >> kPositionBits << kPositionBits; }

    std::string_view nameAt(std::uint64_t slot) const
    {
        const char* stored = m_names.data() + (slot & kPositionMask) - 1;
        std::uint32_t size = 0;
        std::memcpy(&size, stored, sizeof size);
        return {stored + 2 * sizeof size, static_cast<std::size_t>(size)};
    }
    std::size_t numberAt(std::uint64_t slot) const
    {
        std::uint32_t number = 0;
        std::memcpy(&number, m_names.data() + (slot & kPositionMask) - 1 + sizeof number, sizeof number);
        return static_cast<std::size_t>(number);
    }

    // Moves every name into a table of slots slots, a power of two.
    void rehash(std::size_t slots);

    // The index of the slot that holds name, or of the free slot where it would go.
    std::size_t slotFor(std::string_view name, std::uint64_t hash) const
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t index = hash & mask;; index = (index + 1) & mask) {
            const std::uint64_t slot = m_slots[index];
            if (slot == kFree || ((slot & ~kPositionMask) == tagOf(hash) && nameAt(slot) == name)) {
                return index;
            }
        }
    }

    std::vector<std::uint64_t> m_slots = std::vector<std::uint64_t>(64); // a power of two, at most half used
    std::string m_names;
    std::vector<std::uint64_t> m_positions; // each name's slot value, by number
    std::size_t m_count = 0;
};

} // namespace brikmux
