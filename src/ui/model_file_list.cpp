#include "model_file_list.h"

#include "files/paths.h"
#include "settings/native_text.h"

#include <QComboBox>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>

namespace brikmux {

bool ModelFileList::refresh(const std::string& folder, std::initializer_list<std::string_view> patterns)
{
    if (!m_files.list(folder, patterns)) {
        return false;
    }
    const QString kept = m_combo->currentText();
    const QSignalBlocker quiet(m_keepText ? nullptr : m_combo);
    m_combo->clear();
    m_names = m_files.names();
    for (const auto& name : m_names) {
        m_combo->addItem(fromNativeText(name));
    }
    m_combo->setCurrentIndex(-1);
    if (m_keepText) {
        m_combo->setEditText(kept);
    }
    return true;
}

int ModelFileList::count() const
{
    return m_combo->count();
}

int ModelFileList::find(const std::string& name) const
{
    const auto found = std::find(m_names.begin(), m_names.end(), name);
    return found != m_names.end() ? static_cast<int>(found - m_names.begin()) : -1;
}

void ModelFileList::select(int index)
{
    m_combo->setCurrentIndex(index);
    m_rawText = entry(index);
}

void ModelFileList::setText(const std::string& name)
{
    m_combo->setEditText(fromNativeText(name));
    m_rawText = name;
}

std::string ModelFileList::text() const
{
    // A name that does not survive the trip through QString comes back as it was put in.
    const QString shown = m_combo->currentText();
    if (shown == fromNativeText(m_rawText)) {
        return m_rawText;
    }
    const int index = m_combo->findText(shown, Qt::MatchExactly);
    return index >= 0 ? entry(index) : toNativeText(shown);
}

std::string ModelFileList::selected() const
{
    const int index = m_combo->currentIndex();
    return index >= 0 ? entry(index) : std::string();
}

bool isDatSideModel(std::string_view name)
{
    return endsWithIgnoringCase(name, ".dat") || endsWithIgnoringCase(name, ".ldr");
}

std::optional<FileOpenChoice> draggedModel(const QMimeData* data)
{
    if (data == nullptr || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile()) {
        return std::nullopt;
    }
    const QFileInfo file(data->urls().constFirst().toLocalFile());
    const std::string title = toNativeText(file.fileName());
    if (!file.isFile() || !(isDatSideModel(title) || endsWithIgnoringCase(title, ".mpd"))) {
        return std::nullopt;
    }
    return FileOpenChoice{toPathText(file.absoluteFilePath()), title};
}

} // namespace brikmux
