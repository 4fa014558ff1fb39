#pragma once

#include "file_open_dialog.h"
#include "hidden_file_list.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QMimeData;

namespace brikmux {

// One of the main window's drop-down lists of model files: filled with the files of a folder that
// match its patterns, each entry shown as text but known by its name as bytes, so that a name
// that does not survive the trip through text still reaches its file.
class ModelFileList {
public:
    // keepText: the list's text is a name of its own (the MPD list), kept when it is filled again;
    // otherwise the list shows its selection alone and filling it raises no change.
    ModelFileList(QComboBox* combo, HiddenFileList& files, bool keepText)
        : m_combo(combo), m_files(files), m_keepText(keepText)
    {
    }

    // Fills the list from folder; false, with the list unchanged, when it cannot be listed.
    bool refresh(const std::string& folder, std::initializer_list<std::string_view> patterns);
    int count() const;
    // The name behind entry index.
    const std::string& entry(int index) const { return m_names.at(static_cast<std::size_t>(index)); }
    // The entry of that name; -1 when there is none.
    int find(const std::string& name) const;
    // Selects entry index.
    void select(int index);
    // Shows name as the list's text.
    void setText(const std::string& name);
    // The list's text as a name on disk: the name put in or selected, or what was typed.
    std::string text() const;
    // The selected entry's name; empty without a selection.
    std::string selected() const;

private:
    QComboBox* m_combo;
    HiddenFileList& m_files;
    bool m_keepText;
    std::vector<std::string> m_names; // the names behind the entries
    std::string m_rawText;            // the name last put into the text, if still shown
};

// True when name is a model file chosen on the DAT side: .dat or .ldr.
bool isDatSideModel(std::string_view name);

// The model file a drag carries: exactly one local .dat, .ldr or .mpd file.
std::optional<FileOpenChoice> draggedModel(const QMimeData* data);

} // namespace brikmux
