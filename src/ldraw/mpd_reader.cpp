#include "ldraw/mpd_reader.h"

#include "ldraw/model_text.h"

namespace brikmux {

namespace {

bool isLine(std::string_view line, std::string_view text)
{
    return line.starts_with(text) && isBlankLine(line.substr(text.size()));
}

} // namespace

bool MpdReader::next(Item& item)
{
    if (deliverQueued(item)) {
        return true;
    }
    std::string_view line;
    while (m_reader.next(line)) {
        const std::uint64_t number = m_reader.lineNumber();
        if (m_pending) {
            if (isBlankLine(line)) {
                m_blanks.push_back({Item::Type::Line, Block::Section, std::string(line), {}, false, number});
                continue;
            }
            if (isLine(line, "0 !DATA START")) {
                m_pending = false;
                m_blanks.clear();
                m_block = Block::Data;
                m_draft = true;
                m_marker.type = Item::Type::DataStart;
                m_marker.block = Block::Data;
                m_marker.name.erase(m_marker.name.find_last_not_of(" \t") + 1);
                m_queue.push_back(std::move(m_marker));
                return deliverQueued(item);
            }
            releaseSection();
            Item decided;
            if (classify(line, number, decided)) {
                m_queue.push_back({decided.type, decided.block, std::string(decided.line), std::string(decided.name),
                                   decided.named, decided.number});
            }
            return deliverQueued(item);
        }
        if (classify(line, number, item)) {
            return true;
        }
    }
    if (m_pending && m_reader.status()) {
        releaseSection();
        return deliverQueued(item);
    }
    return false;
}

bool MpdReader::classify(std::string_view line, std::uint64_t number, Item& item)
{
    if (IsFileMarker(line) && (m_markers == Markers::Any || StartsSection(line))) {
        m_pending = true;
        m_marker = {Item::Type::SectionStart,          Block::Section,          std::string(line),
                    std::string(FileMarkerName(line)), hasFileMarkerName(line), number};
        if (m_block == Block::Preamble) {
            return false;
        }
        m_block = Block::Ignored;
        item = {.type = Item::Type::BlockEnd, .block = Block::Ignored, .line = line, .name = {}, .number = number};
        return true;
    }
    if (m_block == Block::Data && (IsNoFileMarker(line) || (m_draft && isLine(line, "0 !DATA END")))) {
        m_block = Block::Ignored;
        return false;
    }
    if (IsDataMarker(line)) {
        m_block = Block::Data;
        m_draft = false;
        item = {.type = Item::Type::DataStart,
                .block = Block::Data,
                .line = line,
                .name = DataMarkerName(line),
                .named = false,
                .number = number};
        return true;
    }
    item = {.type = Item::Type::Line, .block = m_block, .line = line, .name = {}, .number = number};
    return true;
}

void MpdReader::releaseSection()
{
    m_pending = false;
    m_block = Block::Section;
    m_queue.push_back(std::move(m_marker));
    for (auto& blank : m_blanks) {
        m_queue.push_back(std::move(blank));
    }
    m_blanks.clear();
}

bool MpdReader::deliverQueued(Item& item)
{
    if (m_queue.empty()) {
        return false;
    }
    m_current = std::move(m_queue.front());
    m_queue.pop_front();
    item = {m_current.type, m_current.block, m_current.line, m_current.name, m_current.named, m_current.number};
    return true;
}

DataBlockDecoder::DataBlockDecoder(std::string_view name, std::uint64_t line)
{
    m_bad.name = std::string(name);
    m_bad.line = line;
}

void DataBlockDecoder::add(std::string_view line, std::uint64_t number)
{
    if (m_bad.problem != BadImage::Problem::None || isBlankLine(line)) {
        return;
    }
    std::string_view payload;
    if (!IsMetaDataLine(line, payload)) {
        m_bad.problem = BadImage::Problem::NotData;
        m_bad.problemLine = number;
        return;
    }
    m_text.clear();
    for (const char c : payload) {
        if (c != ' ' && c != '\t') {
            m_text += c;
        }
    }
    if (m_decoder.add(m_text, m_bytes) != Base64Decoder::Result::Ok) {
        m_bad.problem = BadImage::Problem::BadCharacter;
        m_bad.problemLine = number;
    }
}

void DataBlockDecoder::finish()
{
    if (m_bad.problem == BadImage::Problem::None && m_decoder.finish(m_bytes) != Base64Decoder::Result::Ok) {
        m_bad.problem = BadImage::Problem::CutShort;
    }
}

} // namespace brikmux
